// Whether the captions of a window fit their controls in the font the runtime draws them with:
// the windows were laid out in twips for an 8-point sans-serif whose widths the installed face
// only approaches, and a caption that no longer fits is cut ("Código do p").
#pragma once

#include <QCheckBox>
#include <QFontMetrics>
#include <QRadioButton>
#include <string>
#include <vector>

#include "platform/forms/controls.h"
#include "platform/forms/window.h"

namespace forms::testing {

// The caption as drawn: access-key marks taken out, "&&" shown as "&".
inline QString ShownCaption(const std::string& caption) {
    QString text = QString::fromStdString(caption);
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    return text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

// "name \"caption\"" of every control whose caption does not fit it. A label laid out for
// several lines must hold its wrapped caption; any other caption must fit on one line beside what
// the control draws itself (a button's bevel, a check box's box, a frame's corner).
inline std::vector<std::string> CaptionsThatDoNotFit(const Window& window) {
    std::vector<std::string> misfits;
    for (const Control* control : window.Controls()) {
        std::string caption;
        int room = 0;
        if (const auto* label = dynamic_cast<const Label*>(control)) caption = label->Caption();
        else if (const auto* button = dynamic_cast<const CommandButton*>(control)) caption = button->Caption(), room = 8;
        else if (const auto* check = dynamic_cast<const CheckBox*>(control)) caption = check->Caption(), room = 20;
        else if (const auto* option = dynamic_cast<const OptionButton*>(control)) caption = option->Caption(), room = 20;
        else if (const auto* frame = dynamic_cast<const Frame*>(control)) caption = frame->Caption(), room = 20;
        else continue;
        const QWidget& widget = *control->Widget();
        const QFontMetrics metrics = widget.fontMetrics();
        const QString shown = ShownCaption(caption);
        bool fits = metrics.horizontalAdvance(shown) + room <= widget.width();
        if (dynamic_cast<const Label*>(control) && widget.height() >= 2 * metrics.lineSpacing()) {
            const QRect wrapped = metrics.boundingRect(QRect(0, 0, widget.width(), 100000), Qt::TextWordWrap, shown);
            fits = wrapped.height() <= widget.height() && wrapped.width() <= widget.width();
        }
        if (!fits) misfits.push_back(control->Name() + " \"" + caption + "\"");
    }
    return misfits;
}

}  // namespace forms::testing
