#include "platform/GtkDialog.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/CodePage.h"
#include "platform/DisplayConnection.h"

namespace platform
{
namespace
{

bool toolkitStarted = false;
// Xlib keeps one error handler per process; GDK and the engine's
// connection both need theirs, so each error goes to its display's owner.
XErrorHandler engineErrors = nullptr;
XErrorHandler toolkitErrors = nullptr;
XIOErrorHandler engineIOErrors = nullptr;
XIOErrorHandler toolkitIOErrors = nullptr;

extern "C" int RouteXError(Display* display, XErrorEvent* error)
{
    XErrorHandler owner = display == DisplayConnection::Current() ? engineErrors : toolkitErrors;
    return owner ? owner(display, error) : 0;
}

extern "C" int RouteIOError(Display* display)
{
    XIOErrorHandler owner = display == DisplayConnection::Current() ? engineIOErrors : toolkitIOErrors;
    return owner ? owner(display) : 0;
}

// Dialog units in pixels are taken from the dialog's font, as the dialog
// manager does (a quarter of the average character width, an eighth of
// the line height), then widened where a control's natural size would not
// fit its rectangle, so nothing is clipped and proportions stay.
struct Scale
{
    double x = 1.5;
    double y = 2.0;
};

// The closed part of a drop-down list is this many dialog units high; the
// template's height includes the dropped list.
constexpr int32_t kClosedListHeight = 14;

// A window transient for a foreign X window (the settings program's).
void SetTransientFor(GtkWidget* window, unsigned long owner)
{
    if (owner == 0)
        return;
    gtk_widget_realize(window);
    GdkWindow* foreign = gdk_x11_window_foreign_new_for_display(gdk_display_get_default(), owner);
    if (!foreign)
        return;
    gdk_window_set_transient_for(gtk_widget_get_window(window), foreign);
    g_object_unref(foreign);
}

void RunMessageBox(GtkWindow* parent, unsigned long owner, const std::string& title, const std::string& text)
{
    GtkWidget* box = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_INFO, GTK_BUTTONS_OK, "%s",
                                            Cp1251ToUtf8(text).c_str());
    gtk_window_set_title(GTK_WINDOW(box), Cp1251ToUtf8(title).c_str());
    if (!parent)
        SetTransientFor(box, owner);
    gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
    while (gtk_events_pending())
        gtk_main_iteration();
}

}  // namespace

bool StartDialogToolkit(std::string* why)
{
    if (toolkitStarted)
        return true;
    // The engine's connection first, so its handlers are the ones GDK
    // replaces; it stays held for as long as the toolkit lives.
    if (!DisplayConnection::Acquire(why))
        return false;
    engineErrors = XSetErrorHandler(nullptr);
    XSetErrorHandler(engineErrors);
    engineIOErrors = XSetIOErrorHandler(nullptr);
    XSetIOErrorHandler(engineIOErrors);

    gtk_disable_setlocale();
    int argc = 0;
    char** argv = nullptr;
    if (!gtk_init_check(&argc, &argv))
    {
        DisplayConnection::Release();
        if (why)
            *why = "GTK cannot open the display";
        return false;
    }
    toolkitErrors = XSetErrorHandler(RouteXError);
    toolkitIOErrors = XSetIOErrorHandler(RouteIOError);
    toolkitStarted = true;
    return true;
}

void ShowMessageBox(const std::string& title, const std::string& text, unsigned long ownerWindow)
{
    if (StartDialogToolkit(nullptr))
        RunMessageBox(nullptr, ownerWindow, title, text);
}

bool OpenAddress(const std::string& address)
{
    // Prepared before the fork: the child only forks, execs and exits.
    std::string program = "xdg-open";
    std::string argument = address;
    char* argv[] = {program.data(), argument.data(), nullptr};
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0)
    {
        // The grandchild runs on its own, so nobody waits for it.
        if (fork() == 0)
        {
            execvp(argv[0], argv);
            _exit(127);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct DialogView::Widgets
{
    DialogHandler& handler;
    DialogView* view = nullptr;
    GtkWidget* window = nullptr;
    std::vector<GtkWidget*> controls;                  // one per template control, same order
    std::vector<std::vector<std::string>> shownItems;  // the lists' items as the widgets have them
    Scale scale;
    bool updating = false;  // widgets being set from the template: their signals are not the user's
    bool done = false;

    explicit Widgets(DialogHandler& handler) : handler(handler) {}

    DialogControl& ControlOf(GtkWidget* widget)
    {
        const auto at = std::find(controls.begin(), controls.end(), widget);
        return handler.Controls().controls[static_cast<size_t>(at - controls.begin())];
    }

    void Build(unsigned long owner, DialogView* parent);
    void Measure();
    void Place(GtkWidget* fixed);
    void Refresh();
    void Act(DialogAction action);
};

namespace
{

DialogView::Widgets* WidgetsOf(gpointer data)
{
    return static_cast<DialogView::Widgets*>(data);
}

void OnToggled(GtkToggleButton* button, gpointer data)
{
    auto* widgets = WidgetsOf(data);
    if (widgets->updating)
        return;
    DialogControl& control = widgets->ControlOf(GTK_WIDGET(button));
    control.checked = gtk_toggle_button_get_active(button);
    // A radio group reports the one switched off too; only the one the
    // user chose is a command.
    if (control.kind == ControlKind::RadioButton && !control.checked)
        return;
    widgets->Act(widgets->handler.Command(control.id));
}

void OnClicked(GtkButton* button, gpointer data)
{
    auto* widgets = WidgetsOf(data);
    if (!widgets->updating)
        widgets->Act(widgets->handler.Command(widgets->ControlOf(GTK_WIDGET(button)).id));
}

void OnChanged(GtkComboBox* list, gpointer data)
{
    auto* widgets = WidgetsOf(data);
    if (widgets->updating)
        return;
    DialogControl& control = widgets->ControlOf(GTK_WIDGET(list));
    control.selection = gtk_combo_box_get_active(list);
    widgets->Act(widgets->handler.Command(control.id));
}

void OnMoved(GtkRange* bar, gpointer data)
{
    auto* widgets = WidgetsOf(data);
    if (widgets->updating)
        return;
    DialogControl& control = widgets->ControlOf(GTK_WIDGET(bar));
    control.position = static_cast<int32_t>(std::lround(gtk_range_get_value(bar)));
    widgets->handler.Scroll(control.id);
    widgets->Refresh();
}

gboolean OnDrawPicture(GtkWidget* area, cairo_t* cairo, gpointer data)
{
    auto* widgets = WidgetsOf(data);
    const DialogPicture* picture = widgets->handler.Picture(widgets->ControlOf(area).id);
    const int width = gtk_widget_get_allocated_width(area);
    const int height = gtk_widget_get_allocated_height(area);
    if (!picture || picture->width <= 0 || picture->height <= 0 || width <= 0 || height <= 0)
        return FALSE;
    GdkPixbuf* whole = gdk_pixbuf_new_from_data(picture->rgb.data(), GDK_COLORSPACE_RGB, FALSE, 8, picture->width,
                                                picture->height, picture->width * 3, nullptr, nullptr);
    GdkPixbuf* fitted = gdk_pixbuf_scale_simple(whole, width, height, GDK_INTERP_BILINEAR);
    if (fitted)
    {
        gdk_cairo_set_source_pixbuf(cairo, fitted, 0, 0);
        cairo_paint(cairo);
        g_object_unref(fitted);
    }
    g_object_unref(whole);
    return FALSE;
}

gboolean OnKey(GtkWidget* window, GdkEventKey* event, gpointer data)
{
    auto* widgets = WidgetsOf(data);
    if (event->keyval == GDK_KEY_Escape)
    {
        widgets->Act(widgets->handler.Command(2));
        return TRUE;
    }
    if (event->keyval != GDK_KEY_Return && event->keyval != GDK_KEY_KP_Enter && event->keyval != GDK_KEY_ISO_Enter)
        return FALSE;
    // Enter presses the focused push button, else the default one (OK).
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
    const bool pushButton = focus && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus) &&
                            std::find(widgets->controls.begin(), widgets->controls.end(), focus) != widgets->controls.end();
    if (pushButton)
        gtk_button_clicked(GTK_BUTTON(focus));
    else
        widgets->Act(widgets->handler.Command(1));
    return TRUE;
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data)
{
    // Closing the window is Cancel; the view destroys the window itself.
    auto* widgets = WidgetsOf(data);
    widgets->Act(widgets->handler.Command(2));
    return TRUE;
}

}  // namespace

void DialogView::Widgets::Build(unsigned long owner, DialogView* parent)
{
    DialogTemplate& data = handler.Controls();
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), Cp1251ToUtf8(data.caption).c_str());
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_window_set_modal(GTK_WINDOW(window), TRUE);
    gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);
    if (parent)
    {
        gtk_window_set_transient_for(GTK_WINDOW(window), GTK_WINDOW(parent->widgets->window));
        gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER_ON_PARENT);
    }
    else
    {
        gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
        SetTransientFor(window, owner);
    }
    g_signal_connect(window, "key-press-event", G_CALLBACK(OnKey), this);
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), this);

    GtkWidget* fixed = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(window), fixed);
    GtkWidget* lastRadio = nullptr;
    for (const DialogControl& control : data.controls)
    {
        GtkWidget* widget = nullptr;
        const std::string text = Cp1251ToUtf8(control.text);
        switch (control.kind)
        {
        case ControlKind::GroupBox:
            widget = gtk_frame_new(text.c_str());
            break;
        case ControlKind::Frame:
            widget = gtk_frame_new(nullptr);
            gtk_frame_set_shadow_type(GTK_FRAME(widget), GTK_SHADOW_ETCHED_IN);
            break;
        case ControlKind::DropDownList:
            widget = gtk_combo_box_text_new();
            g_signal_connect(widget, "changed", G_CALLBACK(OnChanged), this);
            break;
        case ControlKind::CheckBox:
            widget = gtk_check_button_new_with_label(text.c_str());
            g_signal_connect(widget, "toggled", G_CALLBACK(OnToggled), this);
            break;
        case ControlKind::RadioButton:
            widget = lastRadio ? gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(lastRadio), text.c_str())
                               : gtk_radio_button_new_with_label(nullptr, text.c_str());
            g_signal_connect(widget, "toggled", G_CALLBACK(OnToggled), this);
            break;
        case ControlKind::Label:
        case ControlKind::CentredLabel:
            widget = gtk_label_new(text.c_str());
            gtk_label_set_xalign(GTK_LABEL(widget), control.kind == ControlKind::Label ? 0.0f : 0.5f);
            gtk_label_set_yalign(GTK_LABEL(widget), 0.0f);
            break;
        case ControlKind::TrackBar:
            widget = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, control.rangeMin,
                                              std::max(control.rangeMin + 1, control.rangeMax), 1.0);
            gtk_scale_set_draw_value(GTK_SCALE(widget), FALSE);
            g_signal_connect(widget, "value-changed", G_CALLBACK(OnMoved), this);
            break;
        case ControlKind::PictureFrame:
            widget = gtk_drawing_area_new();
            g_signal_connect(widget, "draw", G_CALLBACK(OnDrawPicture), this);
            break;
        case ControlKind::PushButton:
            widget = gtk_button_new_with_label(text.c_str());
            g_signal_connect(widget, "clicked", G_CALLBACK(OnClicked), this);
            break;
        }
        lastRadio = control.kind == ControlKind::RadioButton ? widget : nullptr;
        controls.push_back(widget);
        shownItems.emplace_back();
    }
    // Natural sizes are known once the widgets sit in the styled window.
    for (GtkWidget* widget : controls)
        gtk_fixed_put(GTK_FIXED(fixed), widget, 0, 0);
    gtk_widget_show_all(fixed);
    Refresh();
    Measure();
    Place(fixed);
}

void DialogView::Widgets::Measure()
{
    PangoContext* context = gtk_widget_get_pango_context(window);
    PangoFontMetrics* metrics = pango_context_get_metrics(context, pango_context_get_font_description(context), nullptr);
    const double charWidth = pango_font_metrics_get_approximate_char_width(metrics) / double(PANGO_SCALE);
    const double lineHeight =
        (pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics)) / double(PANGO_SCALE);
    pango_font_metrics_unref(metrics);
    scale.x = charWidth / 4.0;
    scale.y = lineHeight / 8.0;
    const std::vector<DialogControl>& list = handler.Controls().controls;
    for (size_t i = 0; i < list.size(); ++i)
    {
        const DialogControl& control = list[i];
        if (control.kind == ControlKind::PictureFrame || control.kind == ControlKind::Frame ||
            control.width <= 0 || control.height <= 0)
            continue;
        GtkRequisition natural;
        gtk_widget_get_preferred_size(controls[i], nullptr, &natural);
        const int32_t height = control.kind == ControlKind::DropDownList ? kClosedListHeight : control.height;
        if (control.kind != ControlKind::TrackBar)
            scale.x = std::max(scale.x, natural.width / double(control.width));
        scale.y = std::max(scale.y, natural.height / double(height));
    }
}

void DialogView::Widgets::Place(GtkWidget* fixed)
{
    const DialogTemplate& data = handler.Controls();
    for (size_t i = 0; i < data.controls.size(); ++i)
    {
        const DialogControl& control = data.controls[i];
        const int32_t height = control.kind == ControlKind::DropDownList ? kClosedListHeight : control.height;
        gtk_widget_set_size_request(controls[i], static_cast<int>(std::lround(control.width * scale.x)),
                                    static_cast<int>(std::lround(height * scale.y)));
        gtk_fixed_move(GTK_FIXED(fixed), controls[i], static_cast<int>(std::lround(control.x * scale.x)),
                       static_cast<int>(std::lround(control.y * scale.y)));
    }
    gtk_widget_set_size_request(fixed, static_cast<int>(std::lround(data.width * scale.x)),
                                static_cast<int>(std::lround(data.height * scale.y)));
}

void DialogView::Widgets::Refresh()
{
    updating = true;
    DialogTemplate& data = handler.Controls();
    gtk_window_set_title(GTK_WINDOW(window), Cp1251ToUtf8(data.caption).c_str());
    for (size_t i = 0; i < data.controls.size(); ++i)
    {
        const DialogControl& control = data.controls[i];
        GtkWidget* widget = controls[i];
        const std::string text = Cp1251ToUtf8(control.text);
        gtk_widget_set_sensitive(widget, control.enabled);
        switch (control.kind)
        {
        case ControlKind::GroupBox:
            gtk_frame_set_label(GTK_FRAME(widget), text.c_str());
            break;
        case ControlKind::Label:
        case ControlKind::CentredLabel:
            gtk_label_set_text(GTK_LABEL(widget), text.c_str());
            break;
        case ControlKind::PushButton:
            gtk_button_set_label(GTK_BUTTON(widget), text.c_str());
            break;
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
            gtk_button_set_label(GTK_BUTTON(widget), text.c_str());
            // A radio is switched off by switching its neighbour on.
            if (control.checked || control.kind == ControlKind::CheckBox)
                gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), control.checked);
            break;
        case ControlKind::TrackBar:
            gtk_range_set_range(GTK_RANGE(widget), control.rangeMin, std::max(control.rangeMin + 1, control.rangeMax));
            gtk_range_set_value(GTK_RANGE(widget), control.position);
            break;
        case ControlKind::DropDownList:
            if (shownItems[i] != control.items)
            {
                gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(widget));
                for (const std::string& item : control.items)
                    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(widget), Cp1251ToUtf8(item).c_str());
                shownItems[i] = control.items;
            }
            gtk_combo_box_set_active(GTK_COMBO_BOX(widget), control.selection);
            break;
        case ControlKind::PictureFrame:
        case ControlKind::Frame:
            break;
        }
    }
    updating = false;
}

void DialogView::Widgets::Act(DialogAction action)
{
    switch (action)
    {
    case DialogAction::Continue:
        break;
    case DialogAction::ShowAbout:
        if (std::unique_ptr<DialogHandler> about = handler.AboutHandler())
        {
            DialogView box(*about, 0, view);
            box.Run();
        }
        break;
    case DialogAction::OpenAddress:
        OpenAddress(handler.ActionText());
        break;
    case DialogAction::ShowMessage:
        RunMessageBox(GTK_WINDOW(window), 0, "Error", handler.ActionText());
        break;
    case DialogAction::End:
        done = true;
        break;
    }
    Refresh();
}

DialogView::DialogView(DialogHandler& handler, unsigned long ownerWindow, DialogView* parent)
    : widgets(std::make_unique<Widgets>(handler))
{
    widgets->view = this;
    widgets->Build(ownerWindow, parent);
}

DialogView::~DialogView()
{
    gtk_widget_destroy(widgets->window);
    while (gtk_events_pending())
        gtk_main_iteration();
}

int32_t DialogView::Run()
{
    gtk_widget_show_all(widgets->window);
    // Focus starts on the first control that can take it, as the dialog
    // manager does.
    const std::vector<DialogControl>& list = widgets->handler.Controls().controls;
    for (size_t i = 0; i < list.size(); ++i)
    {
        GtkWidget* widget = widgets->controls[i];
        const bool focusable = list[i].kind != ControlKind::GroupBox && list[i].kind != ControlKind::Frame &&
                               list[i].kind != ControlKind::Label && list[i].kind != ControlKind::CentredLabel &&
                               list[i].kind != ControlKind::PictureFrame;
        if (focusable && list[i].enabled)
        {
            gtk_widget_grab_focus(widget);
            break;
        }
    }
    while (!widgets->done)
        gtk_main_iteration();
    gtk_widget_hide(widgets->window);
    return widgets->handler.Result();
}

std::string DialogView::ToolkitText(int32_t id) const
{
    if (id == 0)
        return gtk_window_get_title(GTK_WINDOW(widgets->window));
    const std::vector<DialogControl>& list = widgets->handler.Controls().controls;
    for (size_t i = 0; i < list.size(); ++i)
    {
        if (list[i].id != id)
            continue;
        GtkWidget* widget = widgets->controls[i];
        const char* text = nullptr;
        if (GTK_IS_LABEL(widget))
            text = gtk_label_get_text(GTK_LABEL(widget));
        else if (GTK_IS_BUTTON(widget))
            text = gtk_button_get_label(GTK_BUTTON(widget));
        else if (GTK_IS_FRAME(widget))
            text = gtk_frame_get_label(GTK_FRAME(widget));
        return text ? text : "";
    }
    return std::string();
}

}  // namespace platform
