// SCM_RIGHTS over SOCK_SEQPACKET: a message and its descriptor arrive
// together or not at all.
#include "photos/DecoderChannel.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

bool sendMessage(int socket, const void* data, size_t size, int fd, int second)
{
    const int fds[2] = {fd, second};
    const size_t count = fd < 0 ? 0 : second < 0 ? 1 : 2;
    iovec part{const_cast<void*>(data), size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof fds)] = {};
    if (count > 0) {
        message.msg_control = control;
        message.msg_controllen = CMSG_SPACE(count * sizeof(int));
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(count * sizeof(int));
        std::memcpy(CMSG_DATA(header), fds, count * sizeof(int));
    }
    ssize_t sent;
    while ((sent = sendmsg(socket, &message, MSG_NOSIGNAL)) < 0 && errno == EINTR) {
    }
    return sent == static_cast<ssize_t>(size);
}

ssize_t receiveMessage(int socket, void* data, size_t size, int* fd, int* second)
{
    iovec part{data, size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))] = {};
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got;
    while ((got = recvmsg(socket, &message, MSG_CMSG_CLOEXEC)) < 0 && errno == EINTR) {
    }
    int fds[2] = {-1, -1};
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header))
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS &&
            (header->cmsg_len == CMSG_LEN(sizeof(int)) || header->cmsg_len == CMSG_LEN(sizeof fds)))
            std::memcpy(fds, CMSG_DATA(header), header->cmsg_len - CMSG_LEN(0));
    // A message cut short, or descriptors that did not fit, is not one of ours.
    const bool ours = !(got > 0 && (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0);
    for (int i = ours ? (second ? 2 : 1) : 0; i < 2; ++i)
        if (fds[i] >= 0) {
            close(fds[i]);
            fds[i] = -1;
        }
    *fd = fds[0];
    if (second)
        *second = fds[1];
    return ours ? got : -1;
}
