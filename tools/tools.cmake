# Programs beside the viewer.
#  zv-artwork: draws every artwork image of the run directory (Cairo).
#  zv-sample-library: writes a small generated photo library.
# (filled in by the artwork work; the targets below are what the rest of the
# build relies on)
add_custom_target(zv_artwork)
add_custom_target(zv-sample-library)
