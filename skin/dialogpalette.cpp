#include "skin/dialogpalette.h"

#include <QApplication>
#include <QWidget>

namespace DialogPalette {

namespace {

const QColor kWindow(32, 32, 32);
const QColor kBase(18, 18, 18);
const QColor kAlternateBase(26, 26, 26);
const QColor kButton(48, 48, 48);
const QColor kText(220, 220, 220); // the skin's label colour
const QColor kDisabledText(120, 120, 120);
const QColor kHighlight(47, 111, 175);
const QColor kLink(110, 170, 240);

} // namespace

QPalette palette()
{
    QPalette p;
    p.setColor(QPalette::Window, kWindow);
    p.setColor(QPalette::WindowText, kText);
    p.setColor(QPalette::Base, kBase);
    p.setColor(QPalette::AlternateBase, kAlternateBase);
    p.setColor(QPalette::Text, kText);
    p.setColor(QPalette::PlaceholderText, kDisabledText);
    p.setColor(QPalette::Button, kButton);
    p.setColor(QPalette::ButtonText, kText);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::ToolTipBase, kButton);
    p.setColor(QPalette::ToolTipText, kText);
    p.setColor(QPalette::Highlight, kHighlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, kLink);
    p.setColor(QPalette::LinkVisited, kLink.darker(120));
    // The bevels of buttons, frames and scroll bars.
    p.setColor(QPalette::Light, kButton.lighter(160));
    p.setColor(QPalette::Midlight, kButton.lighter(130));
    p.setColor(QPalette::Mid, kButton.darker(130));
    p.setColor(QPalette::Dark, kButton.darker(180));
    p.setColor(QPalette::Shadow, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, kDisabledText);
    p.setColor(QPalette::Disabled, QPalette::Base, kWindow);
    p.setColor(QPalette::Disabled, QPalette::Button, kWindow);
    p.setColor(QPalette::Disabled, QPalette::Highlight, kButton);
    return p;
}

QStringList standardDialogClasses()
{
    return {QStringLiteral("QMessageBox"), QStringLiteral("QFileDialog"), QStringLiteral("QPrintDialog"),
            QStringLiteral("QPageSetupDialog"), QStringLiteral("QPrintPreviewDialog"),
            QStringLiteral("QProgressDialog"), QStringLiteral("QInputDialog")};
}

void apply(const QStringList &moreClasses)
{
    const QPalette dark = palette();
    for (const QString &name : standardDialogClasses() + moreClasses)
        QApplication::setPalette(dark, name.toLatin1().constData());
}

void applyTo(QWidget *dialog)
{
    const QPalette dark = palette();
    dialog->setPalette(dark);
    for (QWidget *child : dialog->findChildren<QWidget *>())
        child->setPalette(dark);
}

} // namespace DialogPalette
