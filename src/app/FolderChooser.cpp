// The portal's FileChooser.OpenFile with "directory" set, on a private
// GLib main context of the asking thread; where no portal answers on the
// session bus, the first chooser program found on PATH.
#include "app/FolderChooser.h"

#include <gio/gio.h>

#include <memory>

namespace {

constexpr const char* portalName = "org.freedesktop.portal.Desktop";
constexpr const char* portalPath = "/org/freedesktop/portal/desktop";

enum class Outcome { Chosen, Cancelled, NoPortal };

struct Reply {
    GMainLoop* loop = nullptr;
    Outcome outcome = Outcome::NoPortal;
    std::string folder;
};

// Response(u code, a{sv} results): code 0 with the chosen folder's URI.
void onResponse(GDBusConnection*, const char*, const char*, const char*, const char*, GVariant* parameters, gpointer data)
{
    auto* reply = static_cast<Reply*>(data);
    guint32 code = 2;
    GVariant* results = nullptr;
    g_variant_get(parameters, "(u@a{sv})", &code, &results);
    const char** uris = nullptr;
    reply->outcome = Outcome::Cancelled;
    if (code == 0 && g_variant_lookup(results, "uris", "^a&s", &uris) && uris != nullptr && uris[0] != nullptr) {
        if (char* path = g_filename_from_uri(uris[0], nullptr, nullptr)) {
            reply->folder = path, reply->outcome = Outcome::Chosen;
            g_free(path);
        }
    }
    g_free(uris);
    g_variant_unref(results);
    g_main_loop_quit(reply->loop);
}

// The request's object path is known before the call from the handle token
// and the connection's unique name, so the signal cannot arrive unheard.
std::string requestPath(GDBusConnection* bus, const std::string& token)
{
    std::string sender = g_dbus_connection_get_unique_name(bus) + 1;   // past the ':'
    for (char& c : sender)
        c = c == '.' ? '_' : c;
    return std::string(portalPath) + "/request/" + sender + "/" + token;
}

Outcome askPortal(const std::string& title, std::string* folder)
{
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    Reply reply;
    reply.loop = g_main_loop_new(context, FALSE);
    // A connection of its own, not GLib's shared one, so that its signals
    // come to this thread's context and it closes with the question.
    char* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    GDBusConnection* bus = address == nullptr ? nullptr : g_dbus_connection_new_for_address_sync(
        address, GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                      G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION), nullptr, nullptr, nullptr);
    g_free(address);
    if (bus != nullptr) {
        const std::string token = "zandervale" + std::to_string(g_random_int());
        const guint subscription = g_dbus_connection_signal_subscribe(
            bus, portalName, "org.freedesktop.portal.Request", "Response", requestPath(bus, token).c_str(), nullptr,
            G_DBUS_SIGNAL_FLAGS_NONE, onResponse, &reply, nullptr);
        GVariantBuilder options;
        g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
        g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
        g_variant_builder_add(&options, "{sv}", "directory", g_variant_new_boolean(TRUE));
        g_variant_builder_add(&options, "{sv}", "modal", g_variant_new_boolean(TRUE));
        GVariant* handle = g_dbus_connection_call_sync(
            bus, portalName, portalPath, "org.freedesktop.portal.FileChooser", "OpenFile",
            g_variant_new("(ssa{sv})", "", title.c_str(), &options), G_VARIANT_TYPE("(o)"),
            G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, nullptr);
        if (handle != nullptr) {
            g_variant_unref(handle);
            g_main_loop_run(reply.loop);   // until the person answers
        }
        g_dbus_connection_signal_unsubscribe(bus, subscription);
        g_dbus_connection_close_sync(bus, nullptr, nullptr);
        g_object_unref(bus);
    }
    g_main_loop_unref(reply.loop);
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    *folder = reply.folder;
    return reply.outcome;
}

// zenity, then kdialog: status 0 with the folder on standard output, 1 when
// cancelled. false when neither program is there.
bool askProgram(const std::string& title, FolderChooser::State* state, std::string* folder)
{
    const std::string zenityTitle = "--title=" + title;
    const char* zenity[] = {"zenity", "--file-selection", "--directory", zenityTitle.c_str(), nullptr};
    const char* kdialog[] = {"kdialog", "--title", title.c_str(), "--getexistingdirectory", g_get_home_dir(), nullptr};
    for (const char** argv : {zenity, kdialog}) {
        std::unique_ptr<char, decltype(&g_free)> program(g_find_program_in_path(argv[0]), g_free);
        if (!program)
            continue;
        char* out = nullptr;
        int status = 0;
        if (!g_spawn_sync(nullptr, const_cast<char**>(argv), nullptr, GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDERR_TO_DEV_NULL),
                          nullptr, nullptr, &out, nullptr, &status, nullptr))
            continue;
        std::string text = out != nullptr ? out : "";
        g_free(out);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        const bool chosen = g_spawn_check_wait_status(status, nullptr) && !text.empty();
        *state = chosen ? FolderChooser::State::Chosen : FolderChooser::State::Cancelled;
        *folder = chosen ? text : "";
        return true;
    }
    return false;
}

} // namespace

FolderChooser::~FolderChooser()
{
    // A chooser left open when the program ends keeps its thread until the
    // person closes it; the thread holds only the shared answer.
    if (asker.joinable())
        asker.detach();
}

void FolderChooser::ask(const std::string& title)
{
    if (state() == State::Asking)
        return;
    if (asker.joinable())
        asker.join();
    answer = std::make_shared<Answer>();
    answer->state = State::Asking;
    asker = std::thread([answer = answer, title] {
        std::string folder;
        State state = State::Unavailable;
        switch (askPortal(title, &folder)) {
        case Outcome::Chosen: state = State::Chosen; break;
        case Outcome::Cancelled: state = State::Cancelled; break;
        case Outcome::NoPortal: askProgram(title, &state, &folder); break;
        }
        std::lock_guard<std::mutex> hold(answer->lock);
        answer->state = state, answer->folder = folder;
    });
}

FolderChooser::State FolderChooser::state() const
{
    if (!answer)
        return State::Idle;
    std::lock_guard<std::mutex> hold(answer->lock);
    return answer->state;
}

std::string FolderChooser::folder() const
{
    if (!answer)
        return "";
    std::lock_guard<std::mutex> hold(answer->lock);
    return answer->folder;
}
