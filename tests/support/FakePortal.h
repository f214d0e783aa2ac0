// A private D-Bus session bus for one test, and on it a stand-in for the
// desktop portal whose FileChooser answers every OpenFile at once with a
// folder of the test's choosing (or as cancelled when it is "").
#pragma once

#include <gio/gio.h>

#include <string>
#include <thread>

namespace support {

class PrivateSessionBus {
public:
    PrivateSessionBus();    // sets DBUS_SESSION_BUS_ADDRESS for this process and its children
    ~PrivateSessionBus();   // stops the bus and unsets it
    bool running() const { return pid > 0; }
    const std::string& address() const { return busAddress; }

private:
    int pid = -1;
    std::string busAddress;
};

class FakePortal {
public:
    FakePortal(const PrivateSessionBus& bus, const std::string& folder);
    ~FakePortal();
    int requests() const { return asked; }   // OpenFile calls answered so far
    bool directoryAsked() const { return directory; }

private:
    static void onCall(GDBusConnection*, const char* sender, const char*, const char*, const char* method,
                       GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self);
    std::string folder;
    GMainContext* context = nullptr;
    GMainLoop* loop = nullptr;
    GDBusConnection* connection = nullptr;
    std::thread serving;
    int asked = 0;
    bool directory = false;
};

}  // namespace support
