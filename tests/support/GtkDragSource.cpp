// SPDX-License-Identifier: GPL-3.0-or-later
// A GTK 3 program that plays the other application in drag tests, offering exactly what
// the Qt source offers (DragSourceContent). GTK answers every data request through
// "drag-data-get", as real GTK programs (file managers, editors) do.
// It prints "window ID" once its window is mapped and "finished" after a drag.
#include "DragSourceContent.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdio>

namespace {

std::vector<DragSourceContent::Entry> g_offered;

std::string pngBytes()
{
    GdkPixbuf *pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 48, 32);
    gdk_pixbuf_fill(pixbuf, 0x1e8cc8ff);
    gchar *buffer = nullptr;
    gsize size = 0;
    gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, "png", nullptr, nullptr);
    std::string bytes(buffer, size);
    g_free(buffer);
    g_object_unref(pixbuf);
    return bytes;
}

void onDragDataGet(GtkWidget *, GdkDragContext *, GtkSelectionData *selection, guint info, guint, gpointer)
{
    if (info >= g_offered.size())
        return;
    const std::string &bytes = g_offered[info].second;
    gtk_selection_data_set(selection, gtk_selection_data_get_target(selection), 8,
        reinterpret_cast<const guchar *>(bytes.data()), gint(bytes.size()));
}

void onDragEnd(GtkWidget *, GdkDragContext *, gpointer)
{
    std::printf("finished\n");
    std::fflush(stdout);
}

gboolean onMapped(GtkWidget *widget, GdkEvent *, gpointer)
{
    std::printf("window %lu\n", static_cast<unsigned long>(GDK_WINDOW_XID(gtk_widget_get_window(widget))));
    std::fflush(stdout);
    return FALSE;
}

} // namespace

int main(int argc, char **argv)
{
    gdk_set_allowed_backends("x11");
    gtk_init(&argc, &argv);
    const DragSourceContent::Options options = DragSourceContent::parse(argc, argv, pngBytes());
    if (!options.error.empty()) {
        std::fprintf(stderr, "%s\n", options.error.c_str());
        return 2;
    }
    g_offered = options.offered;

    std::vector<GtkTargetEntry> targets;
    for (std::size_t i = 0; i < g_offered.size(); ++i)
        targets.push_back({const_cast<gchar *>(g_offered[i].first.c_str()), 0, guint(i)});

    GtkWidget *window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(reinterpret_cast<GtkWindow *>(window), options.title.c_str());
    gtk_window_set_default_size(reinterpret_cast<GtkWindow *>(window), 220, 160);
    gtk_window_move(reinterpret_cast<GtkWindow *>(window), 40, 40);
    GtkWidget *box = gtk_event_box_new();
    gtk_container_add(reinterpret_cast<GtkContainer *>(window), box);
    gtk_container_add(reinterpret_cast<GtkContainer *>(box), gtk_label_new("drag me"));
    gtk_drag_source_set(box, GDK_BUTTON1_MASK, targets.data(), gint(targets.size()),
        GdkDragAction(GDK_ACTION_COPY | GDK_ACTION_MOVE));
    g_signal_connect(box, "drag-data-get", reinterpret_cast<GCallback>(onDragDataGet), nullptr);
    g_signal_connect(box, "drag-end", reinterpret_cast<GCallback>(onDragEnd), nullptr);
    g_signal_connect(window, "map-event", reinterpret_cast<GCallback>(onMapped), nullptr);
    g_signal_connect(window, "destroy", reinterpret_cast<GCallback>(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
