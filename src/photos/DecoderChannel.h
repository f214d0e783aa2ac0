// The wire between a program and its decoder processes: one message each
// way per photo, an open descriptor riding along, and the limits both
// sides name.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

// The decoder finds its end of the socket here.
constexpr int decoderSocketFd = 3;

// A decoder's address space may grow this far past what its libraries
// take once loaded: the photo decode budget (512 MB) and room for the
// decoders' own tables and the output.
constexpr uint64_t decoderMemoryBytes = uint64_t(768) << 20;
// Processor time one photo may take before the kernel ends its decoder; a
// decoder retires itself once its lifetime's share is spent, between photos.
constexpr int decoderCpuSeconds = 60;

// Payloads up to this size ride in the reply's own message (a thumbnail);
// larger ones (a gallery square) in a memory file, whose writes a file-size
// limit the decoder inherits would stop.
constexpr size_t maxInlinePayloadBytes = 64 << 10;

// Sends size bytes in one message, with fd and then second beside it,
// each unless it is -1 (second only with fd).
bool sendMessage(int socket, const void* data, size_t size, int fd, int second = -1);
// Receives one message of up to size bytes; *fd and *second (nullptr: one
// is wanted, a second is closed) are the descriptors that came with it, or
// -1. Returns the bytes received, 0 at the other end's end, -1 on an error.
ssize_t receiveMessage(int socket, void* data, size_t size, int* fd, int* second = nullptr);
