// A message handler that writes down every message it receives, one line each.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "platform/ctl/control_window.h"

namespace ctl::testing {

class RecordingHandler : public MessageHandler {
public:
    std::vector<std::string> log;

    void OnKeyDown(int key, int shift) override { Add("KeyDown", key, shift); }
    void OnKeyUp(int key, int shift) override { Add("KeyUp", key, shift); }
    void OnSysKeyDown(int key, int shift) override { Add("SysKeyDown", key, shift); }
    void OnSysKeyUp(int key, int shift) override { Add("SysKeyUp", key, shift); }
    void OnChar(unsigned char ch) override { Add("Char", ch); }
    void OnSetFocus() override { log.push_back("SetFocus"); }
    void OnKillFocus(QWidget* gaining, bool same) override {
        log.push_back(std::string("KillFocus ") + (gaining ? gaining->objectName().toStdString() : "-") +
                      (same ? " same" : " other"));
    }
    void OnButtonDown(int b, int flags, QPoint p) override { Add("Down", b, flags, p); }
    void OnButtonUp(int b, int flags, QPoint p) override { Add("Up", b, flags, p); }
    void OnButtonDblClk(int b, int flags, QPoint p) override { Add("DblClk", b, flags, p); }
    void OnMouseMove(int flags, QPoint p) override { Add("Move", flags, p); }
    void OnContextMenu(QPoint) override { log.push_back("ContextMenu"); }
    void OnTimer(int id) override { Add("Timer", id); }
    void OnCancelMode() override { log.push_back("CancelMode"); }

private:
    void Add(const char* what, int a, int b = -1) {
        std::string line = std::string(what) + " " + std::to_string(a);
        if (b >= 0) line += " " + std::to_string(b);
        log.push_back(line);
    }
    void Add(const char* what, int a, int b, QPoint p) {
        log.push_back(std::string(what) + " " + std::to_string(a) + " " + std::to_string(b) + " " +
                      std::to_string(p.x()) + "," + std::to_string(p.y()));
    }
    void Add(const char* what, int flags, QPoint p) {
        log.push_back(std::string(what) + " " + std::to_string(flags) + " " +
                      std::to_string(p.x()) + "," + std::to_string(p.y()));
    }
};

}  // namespace ctl::testing
