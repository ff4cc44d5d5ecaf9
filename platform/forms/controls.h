// The runtime's intrinsic controls over Qt widgets, with the members the program uses.
//
// A control belongs to one load of one window: the window creates it (Window::Add) with its
// widget as a child of the window or of a container control, and destroys both when it unloads.
// Positions and sizes are in twips (15 to a pixel), colours are the platform's colour numbers:
// 0x00BBGGRR, or 0x800000nn for the system colour nn (see colors.h).
//
// Events are std::function members set by the window's code; each runs through the window's
// dispatch (handler depth, untrapped errors). Focus, key and click events follow the platform's
// order: the window's key preview first (Window::SetKeyPreview), then the control's own handler.
//
// A control of a component library will be one more Control subclass: its widget is the site
// that hosts the library's control, created by class id from the window's CreateControls, and
// its members and events go through the component layer's dispatch.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/guarded.h"

class QObject;
class QShortcut;
class QStringListModel;
class QTimer;
class QWidget;

namespace forms {

class Window;

inline constexpr int kTwipsPerPixel = 15;

class Control {
public:
    Control(Window& window, std::string name, QWidget* widget);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    Window& Parent() const { return window_; }
    QWidget* Widget() const;

    bool Visible() const;
    void SetVisible(bool visible);
    // Whether the control shows in its window: its own Visible and that of every container it
    // lies in (the window's own aside).
    bool ShowsInWindow() const;
    bool Enabled() const;
    void SetEnabled(bool enabled);

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void Move(int left, int top, int width = -1, int height = -1);   // twips; -1 keeps

    int TabIndex() const { return tabIndex_; }
    void SetTabIndex(int index);   // renumbers the window's tab order
    // TabStop; 438 "Object doesn't support this property or method" on a control without one
    // (labels, frames, timers, the data control), as a loop over all controls meets it.
    bool TabStop() const;
    void SetTabStop(bool stop);
    virtual bool HasTabStop() const { return true; }

    std::uint32_t BackColor() const { return backColor_; }
    void SetBackColor(std::uint32_t color);
    std::uint32_t ForeColor() const { return foreColor_; }
    void SetForeColor(std::uint32_t color);

    // Gives the focus; 5 "Invalid procedure call" when hidden or disabled, as the runtime does.
    void SetFocus();
    bool HasFocus() const;
    // Lets the focus go without giving it to another control (nothing when it has none).
    void DropFocus();

    // ZOrder 0: the control in front of its siblings.
    void ZOrder();
    // Refresh: the control redrawn now, before the caller goes on.
    void Refresh();
    std::string ToolTipText() const;
    void SetToolTipText(const std::string& text);

    std::function<void()> GotFocus;
    std::function<void()> LostFocus;
    std::function<void(int& keyCode, int shift)> KeyDown;
    std::function<void(int& keyCode, int shift)> KeyUp;
    std::function<void()> Click;
    std::function<void()> DblClick;

    // Raises an event of this control through its window's dispatch.
    void Fire(const std::function<void()>& event);

    // Posts a click, delivered at the next yield (tests, and the runtime's queued clicks).
    void QueueClick();

protected:
    // Gives the focus to the control after this one in tab order that can take it (what a
    // label's access key does).
    void FocusNextInTabOrder();

    Window& window_;

private:
    std::string name_;
    Guarded<QWidget> widget_;
    int tabIndex_ = 0;
    std::uint32_t backColor_ = 0x80000005;
    std::uint32_t foreColor_ = 0x80000008;
    std::unique_ptr<QObject> filter_;
};

// A label: its caption wraps at word boundaries within the label; "&" marks the access key
// (underlined; Alt+key gives the focus to the next control in tab order) and "&&" shows "&".
class Label : public Control {
public:
    Label(Window& window, std::string name, QWidget* parent);
    bool HasTabStop() const override { return false; }
    std::string Caption() const;
    void SetCaption(const std::string& caption);

private:
    Guarded<QShortcut> shortcut_;
};

// A text box; a multi-line one (MultiLineTextBox) wraps its lines and keeps each line break
// as CR LF in its Text, as the runtime does.
class TextBox : public Control {
public:
    TextBox(Window& window, std::string name, QWidget* parent);
    bool MultiLine() const { return multiLine_; }
    std::string Text() const;
    void SetText(const std::string& text);
    int SelStart() const;
    void SetSelStart(int start);
    int SelLength() const;
    void SetSelLength(int length);
    int MaxLength() const;
    void SetMaxLength(int length);   // 0: no limit
    std::function<void()> Change;

protected:
    TextBox(Window& window, std::string name, QWidget* parent, bool multiLine);

private:
    bool multiLine_ = false;
};

class MultiLineTextBox : public TextBox {
public:
    MultiLineTextBox(Window& window, std::string name, QWidget* parent) : TextBox(window, std::move(name), parent, true) {}
};

// The list of a list box or combo box: AddItem, RemoveItem, List, ListIndex, ListCount, Clear.
// Both keep their items in one string list model; only the current item lives in the widget.
class ListControl : public Control {
public:
    ListControl(Window& window, std::string name, QWidget* widget);
    ~ListControl() override;

    void AddItem(const std::string& item, int index = -1);   // 5 outside 0 .. ListCount
    void RemoveItem(int index);                              // 5 outside the list
    std::string List(int index) const;                       // "" outside the list, as the runtime
    void SetList(int index, const std::string& item);        // 381 outside the list
    int ListCount() const;
    void Clear();
    virtual int ListIndex() const = 0;                       // -1 when none
    void SetListIndex(int index);                            // 380 outside -1 .. ListCount-1

protected:
    QStringListModel& Model() const { return *model_; }
    virtual void SelectRow(int index) = 0;

private:
    std::unique_ptr<QStringListModel> model_;
};

class ListBox : public ListControl {
public:
    ListBox(Window& window, std::string name, QWidget* parent);
    int ListIndex() const override;
    std::string Text() const { return List(ListIndex()); }

protected:
    void SelectRow(int index) override;
};

// A combo box: Style 0 (drop-down combo, the default) lets the user type; Style 2 (drop-down
// list) offers only its items, and its Text can only name one of them (383 otherwise).
class ComboBox : public ListControl {
public:
    ComboBox(Window& window, std::string name, QWidget* parent);
    int ListIndex() const override;
    int Style() const { return style_; }
    void SetStyle(int style);   // 0 or 2; 380 otherwise
    std::string Text() const;
    void SetText(const std::string& text);
    std::function<void()> Change;

protected:
    void SelectRow(int index) override;

private:
    int style_ = 0;
};

class CheckBox : public Control {
public:
    CheckBox(Window& window, std::string name, QWidget* parent);
    int Value() const;   // 0 unchecked, 1 checked, 2 grayed
    void SetValue(int value);   // 380 outside 0-2
    std::string Caption() const;
    void SetCaption(const std::string& caption);
};

class OptionButton : public Control {
public:
    OptionButton(Window& window, std::string name, QWidget* parent);
    bool Value() const;
    void SetValue(bool value);
    std::string Caption() const;
    void SetCaption(const std::string& caption);
};

class CommandButton : public Control {
public:
    CommandButton(Window& window, std::string name, QWidget* parent);
    std::string Caption() const;
    void SetCaption(const std::string& caption);
    // Value = True: clicks the button, as the runtime does.
    void Press();
};

// A frame: a container with an etched border and its caption on the top border. A child's
// position is measured from the frame's outer top-left corner.
class Frame : public Control {
public:
    Frame(Window& window, std::string name, QWidget* parent);
    bool HasTabStop() const override { return false; }
    std::string Caption() const;
    void SetCaption(const std::string& caption);
};

class Panel : public Control {
public:
    Panel(Window& window, std::string name, QWidget* parent);
    void Refresh();   // repaints at once
};

class Timer : public Control {
public:
    Timer(Window& window, std::string name, QWidget* parent);
    ~Timer() override;
    bool HasTabStop() const override { return false; }
    int Interval() const;              // milliseconds; 0 stops
    void SetInterval(int milliseconds);
    bool TimerEnabled() const { return timerEnabled_; }
    void SetTimerEnabled(bool enabled);
    std::function<void()> OnTimer;

private:
    void Restart();
    std::unique_ptr<QTimer> timer_;
    bool timerEnabled_ = true;
};

}  // namespace forms
