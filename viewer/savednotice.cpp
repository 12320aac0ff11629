#include "viewer/savednotice.h"

#include "base/messages.h"
#include "viewer/filemanager.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace {

constexpr int kMargin = 12;
constexpr auto kStyle = "SavedNotice { background: rgba(24, 24, 24, 235); border: 1px solid rgb(90, 90, 86); "
                        "border-radius: 4px; }"
                        "QLabel { color: rgb(230, 230, 230); }"
                        "QPushButton, QToolButton { color: rgb(230, 230, 230); background: rgb(52, 52, 50); "
                        "border: 1px solid rgb(90, 90, 86); padding: 2px 8px; }"
                        "QPushButton:hover, QToolButton:hover { background: rgb(72, 72, 70); }";

} // namespace

SavedNotice::SavedNotice(QWidget *window)
    : QFrame(window)
    , m_label(new QLabel(this))
    , m_showFolder(new QPushButton(this))
    , m_close(new QToolButton(this))
{
    setObjectName(QStringLiteral("savedNotice"));
    setStyleSheet(QLatin1String(kStyle));
    setFocusPolicy(Qt::NoFocus);
    m_label->setObjectName(QStringLiteral("savedNoticeText"));
    m_label->setTextFormat(Qt::PlainText);
    m_showFolder->setObjectName(QStringLiteral("savedNoticeShowFolder"));
    m_showFolder->setFocusPolicy(Qt::NoFocus);
    m_close->setObjectName(QStringLiteral("savedNoticeClose"));
    m_close->setText(QStringLiteral("\u00d7"));
    m_close->setFocusPolicy(Qt::NoFocus);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 6, 6, 6);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_showFolder);
    layout->addWidget(m_close);
    m_hideTimer.setSingleShot(true);
    m_hideTimer.setInterval(kShownMs);
    connect(&m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
    connect(m_close, &QToolButton::clicked, this, &QWidget::hide);
    connect(m_showFolder, &QPushButton::clicked, this, &SavedNotice::showFolder);
    hide();
}

void SavedNotice::setArea(const QRect &area)
{
    m_area = area;
    place();
}

void SavedNotice::showSaved(const QStringList &files)
{
    if (files.isEmpty())
        return;
    m_files = files;
    QStringList names;
    for (const QString &file : files)
        names << QFileInfo(file).fileName();
    m_label->setText(Messages::savedFiles(names));
    m_label->setToolTip(QDir::toNativeSeparators(QFileInfo(files.first()).absolutePath()));
    m_showFolder->setText(Messages::showInFolder());
    m_showFolder->setEnabled(true);
    place();
    show();
    raise();
    m_hideTimer.start();
}

QString SavedNotice::text() const
{
    return m_label->text();
}

// A file manager that cannot be started is said in the notice itself, which stays a while longer.
void SavedNotice::showFolder()
{
    const QString folder = QFileInfo(m_files.value(0)).absolutePath();
    if (FileManager::showFolder(folder)) {
        hide();
        return;
    }
    m_label->setText(Messages::noFileManager(QDir::toNativeSeparators(folder)));
    m_showFolder->setEnabled(false);
    place();
    m_hideTimer.start();
}

void SavedNotice::place()
{
    if (m_area.isEmpty())
        return;
    const int width = std::min(m_area.width() - 2 * kMargin, std::max(sizeHint().width(), 320));
    const int height = sizeHint().height();
    setGeometry(m_area.left() + (m_area.width() - width) / 2, m_area.bottom() - kMargin - height, width, height);
}
