#include "ClassicLook.h"

#include <QMenu>
#include <QPalette>
#include <QWidget>

QPalette ClassicLook::Palette()
{
    // The desktop's standard light colours as the layouts knew them: a light grey
    // face, white boxes, black text, and a plain grey that keeps disabled answers
    // legible.
    const QColor face(0xF0, 0xF0, 0xF0), white(Qt::white), black(Qt::black), grey(0x80, 0x80, 0x80);
    struct Role {
        QPalette::ColorRole Role;
        QColor Enabled;
        QColor Disabled;
    };
    const Role roles[] = {
        {QPalette::WindowText, black, grey},
        {QPalette::Button, face, face},
        {QPalette::Light, white, white},
        {QPalette::Midlight, QColor(0xE3, 0xE3, 0xE3), QColor(0xE3, 0xE3, 0xE3)},
        {QPalette::Dark, QColor(0xA0, 0xA0, 0xA0), QColor(0xA0, 0xA0, 0xA0)},
        {QPalette::Mid, QColor(0xB8, 0xB8, 0xB8), QColor(0xB8, 0xB8, 0xB8)},
        {QPalette::Text, black, grey},
        {QPalette::BrightText, white, white},
        {QPalette::ButtonText, black, grey},
        {QPalette::Base, white, face},
        {QPalette::Window, face, face},
        {QPalette::Shadow, QColor(0x69, 0x69, 0x69), QColor(0x69, 0x69, 0x69)},
        {QPalette::Highlight, QColor(0x00, 0x78, 0xD7), QColor(0xCC, 0xCC, 0xCC)},
        {QPalette::HighlightedText, white, black},
        {QPalette::Link, QColor(0x00, 0x00, 0xFF), grey},
        {QPalette::LinkVisited, QColor(0x80, 0x00, 0x80), grey},
        {QPalette::AlternateBase, QColor(0xF7, 0xF7, 0xF7), QColor(0xF7, 0xF7, 0xF7)},
        {QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE1), QColor(0xFF, 0xFF, 0xE1)},
        {QPalette::ToolTipText, black, black},
        {QPalette::PlaceholderText, grey, grey},
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
        {QPalette::Accent, QColor(0x00, 0x78, 0xD7), QColor(0xCC, 0xCC, 0xCC)},
#endif
    };
    // Every role but NoRole.
    static_assert(sizeof roles / sizeof roles[0] == QPalette::NColorRoles - 1, "a colour for every role");
    QPalette p;
    for (const Role &r : roles) {
        p.setColor(QPalette::Active, r.Role, r.Enabled);
        p.setColor(QPalette::Inactive, r.Role, r.Enabled);
        p.setColor(QPalette::Disabled, r.Role, r.Disabled);
    }
    return p;
}

void ClassicLook::Apply(QWidget *window)
{
    const QPalette p = Palette();
    window->setPalette(p);
    const auto menus = window->findChildren<QMenu *>();
    for (QMenu *menu : menus)
        menu->setPalette(p);
}
