#include "viewer/exportdialog.h"

#include "base/exportmessages.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString spanText(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1m%2s").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

ExportDialog::ExportDialog(const ExportPlan &plan, const QString &parentFolder, QWidget *parent)
    : QDialog(parent), m_plan(plan)
{
    setObjectName(QStringLiteral("exportDialog"));
    setWindowTitle(Messages::exportDialogTitle());
    const ExportPart &part = plan.parts.first();
    auto *range = new QLabel(Messages::exportRange(ExportPlanning::rangeTime(part.media.fromMs),
                                                   ExportPlanning::rangeTime(plan.parts.last().media.toMs), part.name(),
                                                   ExportPlanning::rangeTime(plan.lengthMs())),
                             this);
    range->setObjectName(QStringLiteral("exportRange"));
    m_size = new QLabel(this);
    m_size->setObjectName(QStringLiteral("exportSize"));
    m_overlay = new QCheckBox(Messages::exportOverlay(), this);
    m_overlay->setObjectName(QStringLiteral("exportOverlay"));
    m_parent = new QLineEdit(QDir::toNativeSeparators(parentFolder), this);
    m_parent->setObjectName(QStringLiteral("exportParent"));
    auto *chooseButton = new QPushButton(Messages::exportChoose(), this);
    chooseButton->setObjectName(QStringLiteral("exportChoose"));
    m_name = new QLineEdit(defaultName(plan), this);
    m_name->setObjectName(QStringLiteral("exportName"));
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("exportProblem"));
    m_problem->setStyleSheet(QStringLiteral("color: #e05050"));

    buildLayout(range, chooseButton);
    connect(m_overlay, &QCheckBox::toggled, this, &ExportDialog::updateSize);
    connect(chooseButton, &QPushButton::clicked, this, &ExportDialog::choose);
    updateSize();
    setMinimumWidth(560);
}

void ExportDialog::buildLayout(QLabel *range, QPushButton *chooseButton)
{
    auto *where = new QHBoxLayout;
    where->addWidget(m_parent, 1);
    where->addWidget(chooseButton);
    auto *form = new QFormLayout;
    form->addRow(Messages::exportFolder(), where);
    form->addRow(Messages::exportName(), m_name);
    auto *buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("exportButtons"));
    buttons->addButton(Messages::exportStart(), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("exportStart"));
    buttons->addButton(Messages::exportCancel(), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &ExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ExportDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(range);
    layout->addWidget(m_size);
    layout->addWidget(m_overlay);
    layout->addLayout(form);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
}

bool ExportDialog::overlay() const
{
    return m_overlay->isChecked();
}

QString ExportDialog::folder() const
{
    return QDir(QDir::fromNativeSeparators(m_parent->text().trimmed())).filePath(m_name->text().trimmed());
}

QString ExportDialog::defaultName(const ExportPlan &plan)
{
    const ExportPart &first = plan.parts.first();
    return QStringLiteral("%1_%2-%3")
        .arg(QFileInfo(first.name()).completeBaseName(), spanText(first.media.fromMs),
             spanText(first.media.fromMs + plan.lengthMs()));
}

QString ExportDialog::sizeText(qint64 bytes)
{
    constexpr double kKilo = 1000.0;
    if (bytes >= kKilo * kKilo * kKilo)
        return QStringLiteral("%1 GB").arg(bytes / (kKilo * kKilo * kKilo), 0, 'f', 1);
    if (bytes >= kKilo * kKilo)
        return QStringLiteral("%1 MB").arg(qRound64(bytes / (kKilo * kKilo)));
    return QStringLiteral("%1 KB").arg(std::max<qint64>(1, qRound64(bytes / kKilo)));
}

void ExportDialog::updateSize()
{
    m_size->setText(Messages::exportSize(sizeText(m_plan.estimatedBytes(m_overlay->isChecked()))));
}

void ExportDialog::choose()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, Messages::exportFolder(), m_parent->text());
    if (!chosen.isEmpty())
        m_parent->setText(QDir::toNativeSeparators(chosen));
}

// The name must be one folder name, not there yet; the parent is made when missing.
void ExportDialog::accept()
{
    const QString name = m_name->text().trimmed();
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".") || name == QLatin1String("..")) {
        m_problem->setText(Messages::exportNoName());
        return;
    }
    const QFileInfo target(folder());
    if (target.exists() || target.isSymLink()) {
        m_problem->setText(Messages::exportExists());
        return;
    }
    QDir().mkpath(target.absolutePath());
    QDialog::accept();
}
