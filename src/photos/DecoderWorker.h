// The decoder's side of the wall: once its libraries are started, it puts
// itself under an address-space limit, a processor-time limit and a
// system-call filter, then decodes one photo a request from the descriptor
// it is sent, until the program that started it goes away.
#pragma once

#include <functional>
#include <vector>

#include "photos/DecodeRequest.h"

// Fills the reply, and the payload with the pixels or bytes that go back.
using DecodeHandler = std::function<void(const DecodeRequest& request, int fd, DecodeReply* reply,
                                         std::vector<unsigned char>* payload)>;

// Serves requests on decoderSocketFd; returns the process's exit status
// (0 at the parent's end or when this decoder retires). The limits and the
// filter are in place before the first request is read; false from them
// ends it at once with status 1.
int serveDecodeRequests(const DecodeHandler& handler);
