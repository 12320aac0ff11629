#pragma once

#include <QDateTimeEdit>
#include <QTimer>

// The settings editor's clock field, the time the recorder is to be set to. Until the user edits it,
// it follows the computer's clock, so that the time written is the time of writing and not of opening
// the editor; Get Current Time and loading a card make it follow again.
class ClockField : public QDateTimeEdit
{
    Q_OBJECT

public:
    explicit ClockField(QWidget *parent = nullptr);

    // Shows the current time and follows the computer's clock from now on.
    void followNow();
    bool isFollowingNow() const { return m_following; }

    // Enables the field while the clock is to be written, with the matching looks.
    void setToBeWritten(bool written);

    // The time to write, "yyyy-MM-dd-hh-mm-ss": the current time while following, else the field's.
    QString clockText() const;

private:
    void showNow();
    void edited();

    QTimer m_tick;
    bool m_following = true;
    bool m_settingItself = false; // a change the field makes, not the user
};
