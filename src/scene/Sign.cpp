// Banners, ground labels and the title sign.
#include "scene/Sign.h"

#include "scene/SignSet.h"

Sign::Sign(const SignSet& signs_, float x_, float y_, float z_, int kind_, int index_)
    : kind(kind_), index(index_), signs(&signs_)
{
    x = x_;
    y = y_;
    z = z_;
}

void Sign::draw(double /*seconds*/)
{
    signs->draw(kind, index, x, y, z);
}
