#include "DesignFonts.h"

#include "ClassicLook.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QPalette>
#include <QVariant>
#include <QWidget>

static QString InstalledFamily(const QString &face)
{
    // Name the installed font itself: a family that is not installed makes Qt build
    // a fallback list for every style and script it meets, which cost a third of the
    // start-up time.
    const QStringList subs = QFont::substitutes(face);
    return subs.isEmpty() ? face : subs.first();
}

static void ApplyOne(QWidget *w)
{
    const QVariant face = w->property("fontFace");
    const QVariant height = w->property("fontHeight");
    if (face.isValid() || height.isValid()) {
        QFont f = w->font();
        if (face.isValid())
            f.setFamily(InstalledFamily(face.toString()));
        if (height.isValid())
            f.setPixelSize(qAbs(height.toInt()));
        const QString style = w->property("fontStyle").toString();
        f.setBold(style.contains(QLatin1String("bold")));
        f.setItalic(style.contains(QLatin1String("italic")));
        w->setFont(f);
    }
    const QVariant color = w->property("fontColor");
    if (color.isValid()) {
        QPalette p = w->palette();
        const QColor c(color.toString());
        // Active and inactive only: a disabled control keeps the greyed text.
        for (const auto group : {QPalette::Active, QPalette::Inactive})
            for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
                p.setColor(group, role, c);
        w->setPalette(p);
    }
    // The substituted fonts stand a pixel or two taller than the designed ones: a
    // label grows down to its font's line height, so descenders are not cut off.
    if (qobject_cast<QLabel *>(w))
        w->resize(w->width(), qMax(w->height(), QFontMetrics(w->font()).height()));
}

static void ApplyTree(QWidget *root)
{
    // Parents first, so that children without fonts of their own inherit them.
    ApplyOne(root);
    const auto children = root->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *child : children)
        ApplyTree(child);
}

void DesignFonts::Apply(QWidget *root)
{
    if (root->isWindow())
        ClassicLook::Apply(root);
    ApplyTree(root);
}

void DesignFonts::PrepareForm(QWidget *form)
{
    QFont f = form->font();
    f.setFamily(InstalledFamily(QStringLiteral("ＭＳ Ｐゴシック")));
    f.setPixelSize(12);
    form->setFont(f);
}
