#pragma once

#include "evidence/exportplan.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The dialog before an export: the range and its clip, the estimated size of the folder, whether
// to render the overlay video too, and where the folder goes (its parent and its name). Accepts
// only a name that can be made there. Edits nothing until accepted.
class ExportDialog : public QDialog
{
    Q_OBJECT

public:
    ExportDialog(const ExportPlan &plan, const QString &parentFolder, QWidget *parent = nullptr);

    bool overlay() const;
    // The folder to make: the parent chosen and the name given.
    QString folder() const;

    // The folder name offered: the clip's name without its extension and the range,
    // "REC_2012_05_14_10_20_30_0m05s-0m35s".
    static QString defaultName(const ExportPlan &plan);
    // "85 MB", "1.2 GB", "640 KB".
    static QString sizeText(qint64 bytes);

public slots:
    void accept() override;

private:
    void buildLayout(QLabel *range, QPushButton *chooseButton);
    void updateSize();
    void choose();

    ExportPlan m_plan;
    QLabel *m_size;
    QCheckBox *m_overlay;
    QLineEdit *m_parent;
    QLineEdit *m_name;
    QLabel *m_problem;
};
