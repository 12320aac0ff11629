#include "settingsui/clockfield.h"

#include "settings/settingtable.h"

namespace {

// The field shows seconds: a few ticks a second keep it from lagging a whole second behind.
constexpr int kTickMs = 250;

// The field's looks: as built, while the clock is to be written, and while it is not.
constexpr auto kStyleInitial =
    "QDateTimeEdit {border: 0px ; font-family: 'Segoe UI', 'Arial'; font-size: 10pt; background-color: #ffffff;"
    "color: rgb(172,173,177);QSpinBox {\t\t\t padding-right: 21px;\t\t\t border-width: 3;\t\t\t "
    "background-image: url(:/gfx_r/2012/time_up1.png);\t\t }\t\t }\t\t QDateTimeEdit:focus {\t\t\tcolor: black;"
    "\t\t }";
constexpr auto kStyleOn =
    "QDateTimeEdit {border: 0px ; font-family: 'Segoe UI', 'Arial'; font-size: 10pt; background-color: #ffffff;"
    "color: rgb(0,0,0);QSpinBox {\t\t\t padding-right: 21px;\t\t\t border-width: 3;\t\t\t "
    "background-image: url(:/gfx_r/2012/time_up1.png);\t\t }\t\t }";
constexpr auto kStyleOff =
    "QDateTimeEdit {border: 0px ; font-family: 'Segoe UI', 'Arial'; font-size: 10pt; background-color: "
    "rgb(224,223,228);color: rgb(172,173,177);QSpinBox {\t\t\t padding-right: 21px;\t\t\t border-width: 3;"
    "\t\t\t background-image: url(:/gfx_r/2012/time_up1.png);\t\t }\t\t }";

} // namespace

ClockField::ClockField(QWidget *parent)
    : QDateTimeEdit(QDateTime::currentDateTime(), parent)
{
    setObjectName(QStringLiteral("dateTime"));
    setDisplayFormat(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    setAlignment(Qt::AlignVCenter);
    setStyleSheet(QLatin1String(kStyleInitial));
    connect(this, &QDateTimeEdit::dateTimeChanged, this, &ClockField::edited);
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &ClockField::showNow);
    m_tick.start();
}

void ClockField::followNow()
{
    m_following = true;
    showNow();
    m_tick.start();
}

void ClockField::setToBeWritten(bool written)
{
    setEnabled(written);
    setStyleSheet(QLatin1String(written ? kStyleOn : kStyleOff));
}

QString ClockField::clockText() const
{
    const QDateTime time = m_following ? QDateTime::currentDateTime() : dateTime();
    return locale().toString(time, QLatin1String(SettingTable::kClockPattern));
}

// While the user has the field in hand, it is left alone: a tick must not overwrite a half-typed time.
void ClockField::showNow()
{
    if (!m_following || hasFocus())
        return;
    m_settingItself = true;
    setDateTime(QDateTime::currentDateTime());
    m_settingItself = false;
}

void ClockField::edited()
{
    if (m_settingItself)
        return;
    m_following = false;
    m_tick.stop();
}
