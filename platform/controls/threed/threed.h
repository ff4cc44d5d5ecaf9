// The 3-D button, panel and frame the program's windows host, with their late-bound members.
//
//   control   DISPID  member                         C++
//   button    -518    Caption ("&" marks the key)    Caption / SetCaption (forms::CommandButton)
//             -513    ForeColor (text or number)     ForeColor / SetForeColor
//             -514    Enabled                        Enabled / SetEnabled
//   panel     -518    Caption                        Caption / SetCaption
//             15      FloodPercent, 0-100            FloodPercent / SetFloodPercent
//             -514    Enabled
//   frame     -518    Caption                        Caption / SetCaption (forms::Frame)
//             -514    Enabled
// Visible and SetFocus are the window's (forms::Control), as are the events: a button's Click,
// GotFocus and LostFocus. Panels and frames are containers: Window::Add(name, &panel).
#pragma once

#include <string>

#include "platform/com/dispatch.h"
#include "platform/forms/controls.h"

namespace controls::threed {

class ButtonObject;
class PanelObject;
class FrameObject;

class Button3D : public forms::CommandButton {
public:
    Button3D(forms::Window& window, std::string name, QWidget* parent);
    ~Button3D() override;
    com::IDispatch* Object() const;

private:
    com::ComPtr<ButtonObject> object_;
};

class Frame3D : public forms::Frame {
public:
    Frame3D(forms::Window& window, std::string name, QWidget* parent);
    ~Frame3D() override;
    com::IDispatch* Object() const;

private:
    com::ComPtr<FrameObject> object_;
};

// A raised panel showing its caption; once a percentage is set it is a progress bar instead:
// the left part filled in proportion, the percentage written in the middle ("40%").
class Panel3D : public forms::Control {
public:
    Panel3D(forms::Window& window, std::string name, QWidget* parent);
    ~Panel3D() override;
    com::IDispatch* Object() const;
    bool HasTabStop() const override { return false; }

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    int FloodPercent() const;
    // 380 "Invalid property value" outside 0-100, the value unchanged.
    void SetFloodPercent(int percent);
    bool ShowsProgress() const;

private:
    com::ComPtr<PanelObject> object_;
};

}  // namespace controls::threed
