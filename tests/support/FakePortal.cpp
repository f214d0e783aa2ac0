#include "support/FakePortal.h"

#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

namespace support {

PrivateSessionBus::PrivateSessionBus()
{
    FILE* started = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
    char address[512] = "", number[32] = "";
    if (started != nullptr && std::fgets(address, sizeof address, started) && std::fgets(number, sizeof number, started)) {
        busAddress = address;
        busAddress.erase(busAddress.find_last_not_of('\n') + 1);
        pid = std::atoi(number);
        setenv("DBUS_SESSION_BUS_ADDRESS", busAddress.c_str(), 1);
    }
    if (started != nullptr)
        pclose(started);
}

PrivateSessionBus::~PrivateSessionBus()
{
    if (pid > 0)
        kill(pid, SIGTERM);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

namespace {

const char introspection[] =
    "<node><interface name='org.freedesktop.portal.FileChooser'>"
    "<method name='OpenFile'><arg type='s' direction='in'/><arg type='s' direction='in'/>"
    "<arg type='a{sv}' direction='in'/><arg type='o' direction='out'/></method>"
    "</interface></node>";

}  // namespace

FakePortal::FakePortal(const PrivateSessionBus& bus, const std::string& folder) : folder(folder)
{
    context = g_main_context_new();
    loop = g_main_loop_new(context, FALSE);
    g_main_context_push_thread_default(context);
    connection = g_dbus_connection_new_for_address_sync(
        bus.address().c_str(),
        GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    if (connection != nullptr) {
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(introspection, nullptr);
        static const GDBusInterfaceVTable table = {onCall, nullptr, nullptr, {}};
        g_dbus_connection_register_object(connection, "/org/freedesktop/portal/desktop", node->interfaces[0], &table,
                                          this, nullptr, nullptr);
        g_dbus_node_info_unref(node);
        GVariant* owned = g_dbus_connection_call_sync(
            connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
            g_variant_new("(su)", "org.freedesktop.portal.Desktop", 4u), nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
        if (owned != nullptr)
            g_variant_unref(owned);
    }
    g_main_context_pop_thread_default(context);
    serving = std::thread([this] {
        g_main_context_push_thread_default(context);
        g_main_loop_run(loop);
        g_main_context_pop_thread_default(context);
    });
}

FakePortal::~FakePortal()
{
    g_main_loop_quit(loop);
    serving.join();
    if (connection != nullptr) {
        g_dbus_connection_close_sync(connection, nullptr, nullptr);
        g_object_unref(connection);
    }
    g_main_loop_unref(loop);
    g_main_context_unref(context);
}

// Answers with the request object's path, then its Response signal, as the
// portal does once the person has chosen.
void FakePortal::onCall(GDBusConnection* connection, const char* sender, const char*, const char*, const char*,
                        GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data)
{
    auto* self = static_cast<FakePortal*>(data);
    GVariant* options = g_variant_get_child_value(parameters, 2);
    const char* token = "t";
    gboolean directory = FALSE;
    g_variant_lookup(options, "handle_token", "&s", &token);
    g_variant_lookup(options, "directory", "b", &directory);
    std::string name = sender + 1;
    for (char& c : name)
        c = c == '.' ? '_' : c;
    const std::string path = "/org/freedesktop/portal/desktop/request/" + name + "/" + token;
    g_variant_unref(options);
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(o)", path.c_str()));
    GVariantBuilder results;
    g_variant_builder_init(&results, G_VARIANT_TYPE_VARDICT);
    if (!self->folder.empty()) {
        char* uri = g_filename_to_uri(self->folder.c_str(), nullptr, nullptr);
        const char* uris[] = {uri, nullptr};
        g_variant_builder_add(&results, "{sv}", "uris", g_variant_new_strv(uris, 1));
        g_free(uri);
    }
    g_dbus_connection_emit_signal(connection, sender, path.c_str(), "org.freedesktop.portal.Request", "Response",
                                  g_variant_new("(ua{sv})", self->folder.empty() ? 1u : 0u, &results), nullptr);
    ++self->asked;
    self->directory = directory;
}

}  // namespace support
