#include "settingsui/configwindow.h"

#include "base/language.h"
#include "base/messages.h"
#include "base/preferences.h"
#include "base/texttable.h"
#include "catalogue/removabledrive.h"
#include "resources/gfxpaths.h"
#include "settingsui/clockfield.h"
#include "settingsui/configstore.h"
#include "settingsui/widgetbar.h"
#include "settingsui/windowbtn.h"
#include "skin/dialogpalette.h"
#include "skin/flhlp.h"
#include "skin/iconbutton.h"
#include "skin/icontoolbutton.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {

constexpr TextId kTitleText = 0;
constexpr TextId kGetTimeText = 13;
constexpr TextId kOkText = 23;
constexpr TextId kCancelText = 24;
constexpr TextId kBatteryTexts[3] = {67, 68, 69};
constexpr int kBatteryButtonX[3] = {182, 296, 409};

constexpr auto kDialogStyle = "color: rgb(220,220,220); font-family: \"Segoe UI\", Arial; font-size: 10pt;";
constexpr auto kTitleStyle = "color: rgb(220,220,220); font-family: \"Segoe UI\", Arial; font-size: 11pt;";
constexpr auto kChooserStyle = "background-color: #ffffff; color: rgb(0,0,0); font-family: \"Segoe UI\", "
                               "Arial; font-size: 10pt; border: 0px;";

constexpr int kSensitivitySlot = ConfigLayout::slotOf(RecorderSetting::Sensitivity);

// An image button of the settings editor from the common stem of its pictures.
IconToolButton *imageButton(QWidget *parent, const QString &normal, const QString &pressed, const QString &hover,
                            const QString &disabled, const QRect &geometry, const char *name)
{
    auto *button = new IconToolButton(parent, Gfx::path(normal), Gfx::path(pressed), Gfx::path(hover),
                                      Gfx::path(disabled));
    button->setGeometry(geometry);
    button->setObjectName(QLatin1String(name));
    return button;
}

// A warning box over the dialog, in the dark colours of the program's other boxes: the dialog's
// light text colour reaches the box too, and must stay readable on it.
void warn(QWidget *parent, const QString &text, const QString &details)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("QRD-7700"), text, QMessageBox::Ok, parent);
    box.setInformativeText(details);
    DialogPalette::applyTo(&box);
    box.exec();
}

ConfigLayout::ModelGroup groupOf(DeviceModel model)
{
    if (model == DeviceModel::NoModel)
        return ConfigLayout::ModelGroup::None;
    return model == DeviceModel::Main ? ConfigLayout::ModelGroup::Main : ConfigLayout::ModelGroup::Other;
}

} // namespace

ConfigWindow::ConfigWindow(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_values(ConfigLayout::constructionValues())
    , m_model(DeviceModel::Main)
    , m_pictures(ConfigPictures::load())
{
    m_frameless = new FlHlp(this);
    m_frameless->attachTo(this);
    m_frameless->setResizable(false);
    m_frameless->setMovable(true);
    // Attaching leaves only the frameless hints; keep the dialog a window of its own when it has
    // a parent (the viewer), or it would become a child widget inside the viewer.
    setWindowFlags(windowFlags() | Qt::Dialog);
    setStyleSheet(QLatin1String(kDialogStyle));

    buildWidgets();
    buildCardChooser();
    setWindowTitle(QStringLiteral("QRD-7700 Setting"));
    updateClockControls();
}

ConfigWindow::~ConfigWindow() = default;

const ConfigLayout::Values &ConfigWindow::values() const
{
    return m_values;
}

DeviceModel ConfigWindow::model() const
{
    return m_model;
}

void ConfigWindow::setModel(DeviceModel model)
{
    m_model = model;
    applyModelToWidgets();
    update();
}

QString ConfigWindow::settingsFolder() const
{
    return m_settingsFolder;
}

QString ConfigWindow::updateFolder() const
{
    return m_updateFolder;
}

QString ConfigWindow::firmwareText() const
{
    return m_firmwareText;
}

void ConfigWindow::buildWidgets()
{
    setFixedSize(554, 660);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(9, 9, 9));
    setPalette(pal);
    setAutoFillBackground(true);
    QString language;
    if (readStoredLanguage(language)) {
        setCurrentLanguage(language);
        storeLanguage(language);
    }

    buildButtons();
    buildClock();
    buildBatteryRow();

    m_bar = new WidgetBar(this);
    m_bar->setObjectName(QStringLiteral("shockBar"));
    m_bar->setGeometry(156, 347, 388, 25);
    m_bar->setValue(m_values[kSensitivitySlot]);
    retranslate();
}

void ConfigWindow::buildButtons()
{
    m_exit = new IconButton(this, Gfx::path(QStringLiteral("exit_1.png")), Gfx::path(QStringLiteral("exit_3.png")),
                            Gfx::path(QStringLiteral("exit_2.png")), Gfx::path(QStringLiteral("exit_1.png")), 21, 19);
    m_exit->setObjectName(QStringLiteral("exit"));
    m_exit->setGeometry(520, 13, 21, 19);
    connect(m_exit, &QAbstractButton::clicked, this, &ConfigWindow::OnSlotsExit);

    m_gmt = imageButton(this, QStringLiteral("gmt_1.png"), QStringLiteral("gmt_3.png"), QStringLiteral("gmt_2.png"),
                        QStringLiteral("dis_saver.png"), QRect(177, 287, 233, 28), "gmt");
    m_gmt->setText(QStringLiteral("GMT"));
    m_gmt->setEnabled(false);

    const QString battery = QStringLiteral("battery_24v_");
    m_getTime = imageButton(this, battery + "1.png", battery + "3.png", battery + "2.png", battery + "1.png",
                            QRect(402, 223, 142, 28), "getTime");
    connect(m_getTime, &QAbstractButton::clicked, this, &ConfigWindow::OnSlotsGetTime);

    m_ok = imageButton(this, QStringLiteral("apply1.png"), QStringLiteral("apply3.png"), QStringLiteral("apply2.png"),
                       QStringLiteral("apply1.png"), QRect(467, 617, 79, 28), "ok");
    connect(m_ok, &QAbstractButton::clicked, this, &ConfigWindow::OnSlotsOK);
    m_cancel = imageButton(this, QStringLiteral("apply1.png"), QStringLiteral("apply3.png"),
                           QStringLiteral("apply2.png"), QStringLiteral("apply1.png"), QRect(388, 617, 79, 28), "cancel");
    connect(m_cancel, &QAbstractButton::clicked, this, &ConfigWindow::OnSlotsCancel);

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setGeometry(54, 9, 250, 24);
    m_title->setStyleSheet(QLatin1String(kTitleStyle));
}

void ConfigWindow::buildClock()
{
    m_clock = new ClockField(this);
    m_clock->setGeometry(184, 228, 223, 18);
}

void ConfigWindow::buildBatteryRow()
{
    const QString battery = QStringLiteral("battery_24v_");
    const char *names[3] = {"timer", "battery12", "battery24"};
    void (ConfigWindow::*handlers[3])() = {&ConfigWindow::OnSlotsBtn3, &ConfigWindow::OnSlotsBtn4,
                                           &ConfigWindow::OnSlotsBtn5};
    for (int i = 0; i < 3; ++i) {
        m_batteryButtons[i] = imageButton(this, battery + "1.png", battery + "3.png", battery + "2.png",
                                          battery + "disable.png", QRect(kBatteryButtonX[i], 448, 116, 28), names[i]);
        m_batteryButtons[i]->setText(uiText(kBatteryTexts[i]));
        connect(m_batteryButtons[i], &QAbstractButton::clicked, this, handlers[i]);
    }
}

void ConfigWindow::buildCardChooser()
{
    const QList<RemovableDrive> drives = listRemovableDrives();
    m_chooser = new QComboBox(this);
    m_chooser->setObjectName(QStringLiteral("drive"));
    m_chooser->setGeometry(200, 13, 100, 18);
    m_chooser->setStyleSheet(QLatin1String(kChooserStyle));
    connect(m_chooser, &QComboBox::currentIndexChanged, this, &ConfigWindow::loadData);
    // Adding the first entry makes it current, which loads it.
    for (const RemovableDrive &drive : drives)
        m_chooser->addItem(QStringLiteral("%1 (%2)").arg(drive.volumeLabel, drive.drive), drive.drive);
    // The last drive that holds a version file is the recorder's card.
    if (const auto card = findCardDrive(drives))
        m_chooser->setCurrentIndex(int(drives.indexOf(*card)));
}

void ConfigWindow::loadData(int index)
{
    m_model = DeviceModel::NoModel;
    if (!m_chooser)
        return;
    const QString drive = m_chooser->itemData(index).toString();
    if (drive.isEmpty()) {
        // No entry: there is no card, so nothing may be read or written anywhere.
        m_settingsFolder.clear();
        m_updateFolder.clear();
    } else {
        m_settingsFolder = cardSettingsFolder(drive);
        m_updateFolder = cardUpdateFolder(drive);
        loadSettings();
    }
    m_gmt->setEnabled(false);
    applyModelToWidgets();
    update();
}

void ConfigWindow::loadSettings()
{
    if (m_settingsFolder.isEmpty())
        return;
    const QString version = readVersionText(m_updateFolder);
    m_model = modelFromVersion(version);
    if (m_model == DeviceModel::NoModel) {
        // A card without a recognisable version keeps the values shown before.
        m_model = DeviceModel::Main;
        m_firmwareText.clear();
        return;
    }
    const qsizetype blank = version.indexOf(QLatin1Char(' '));
    m_firmwareText = blank > 0 ? version.left(blank) : version;
    const DeviceSettings store(m_settingsFolder, m_model);
    ConfigStore::copyFromStore(store, m_model, m_values);
    const QString clockFile = m_settingsFolder + QLatin1Char('/') + QLatin1String(SettingTable::kClockFile);
    m_values[ConfigLayout::Slot::WriteClock] = QFile::exists(clockFile) ? 1 : 0;
    m_clock->followNow();
    m_bar->setValue(m_values[kSensitivitySlot]);
    updateClockControls();
}

bool ConfigWindow::writeSettings()
{
    m_failedFiles.clear();
    if (m_settingsFolder.isEmpty())
        return true;
    // The store reads the card first, so settings the dialog does not hold keep the card's values.
    DeviceSettings store(m_settingsFolder, m_model);
    m_values[kSensitivitySlot] = m_bar->value();
    ConfigStore::copyToStore(m_values, m_model, store);
    store.setClock(m_values[ConfigLayout::Slot::WriteClock] != 0, m_clock->clockText());
    const bool saved = store.save();
    m_failedFiles = store.failedFiles();
    m_writeProtected = store.isWriteProtected();
    return saved;
}

bool ConfigWindow::Onapply()
{
    const bool written = writeSettings();
    storeSpeedUnit(viewerSpeedUnit == 1 ? QStringLiteral("km") : QStringLiteral("mph"));
    retranslate();
    update();
    return written;
}

void ConfigWindow::retranslate()
{
    m_title->setText(uiText(kTitleText));
    m_ok->setText(uiText(kOkText));
    m_cancel->setText(uiText(kCancelText));
    m_getTime->setText(uiText(kGetTimeText));
}

void ConfigWindow::applyModelToWidgets()
{
    // Without a model every row shows unavailable, the bar included.
    const bool available = m_model != DeviceModel::NoModel;
    if (!available)
        m_bar->setValue(0);
    else if (!m_bar->isEnabled())
        m_bar->setValue(m_values[kSensitivitySlot]);
    m_bar->setEnabled(available);
    for (IconToolButton *button : m_batteryButtons)
        button->setEnabled(available);
}

void ConfigWindow::updateClockControls()
{
    const bool on = m_values[ConfigLayout::Slot::WriteClock] != 0;
    m_clock->setToBeWritten(on);
    m_getTime->setEnabled(on);
}

void ConfigWindow::OnSlotsGetTime()
{
    m_clock->followNow();
}

// Without a card there is nothing to write to: the user is told so and the dialog stays open
// (Cancel closes it).
void ConfigWindow::OnSlotsOK()
{
    if (m_settingsFolder.isEmpty()) {
        warnNoCard();
        return;
    }
    if (!Onapply()) {
        warnSaveFailed(m_failedFiles, m_writeProtected);
        return;
    }
    accept();
}

void ConfigWindow::OnSlotsCancel()
{
    reject();
}

void ConfigWindow::OnSlotsExit()
{
    reject();
}

void ConfigWindow::warnSaveFailed(const QStringList &files, bool writeProtected)
{
    warn(this, writeProtected ? Messages::cardWriteProtected() : Messages::settingsNotSaved(),
         files.join(QLatin1Char('\n')));
}

void ConfigWindow::warnNoCard()
{
    warn(this, Messages::noMemoryCard(), QString());
}

// Without a card there is nothing to edit: the user learns so as soon as the dialog is up.
void ConfigWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_noCardTold || !m_settingsFolder.isEmpty())
        return;
    m_noCardTold = true;
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            warnNoCard();
    });
}

template<typename Dialog>
void ConfigWindow::runOptionDialog(int slot)
{
    Dialog dialog(this, m_model, m_values[size_t(slot)]);
    dialog.value = m_values[size_t(slot)];
    dialog.exec();
    if (dialog.applied)
        m_values[size_t(slot)] = StepLayout::storedValue(dialog.value, dialog.kind());
    update();
}

void ConfigWindow::OnSlotsBtn3()
{
    runOptionDialog<WindowBtn3>(ConfigLayout::slotOf(RecorderSetting::PowerOff));
}

void ConfigWindow::OnSlotsBtn4()
{
    runOptionDialog<WindowBtn4>(ConfigLayout::slotOf(RecorderSetting::Battery));
}

void ConfigWindow::OnSlotsBtn5()
{
    runOptionDialog<WindowBtn5>(ConfigLayout::slotOf(RecorderSetting::Battery2));
}

void ConfigWindow::mousePressEvent(QMouseEvent *event)
{
    QDialog::mousePressEvent(event);
}

void ConfigWindow::mouseMoveEvent(QMouseEvent *event)
{
    QDialog::mouseMoveEvent(event);
}

void ConfigWindow::mouseReleaseEvent(QMouseEvent *event)
{
    const auto hit = ConfigLayout::hitTest(event->position().toPoint(), groupOf(m_model));
    if (hit) {
        ConfigLayout::applyHit(*hit, m_values, viewerSpeedUnit);
        if (hit->slot == ConfigLayout::Slot::WriteClock)
            updateClockControls();
        update();
    }
    QDialog::mouseReleaseEvent(event);
}

void ConfigWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintConfigForm(painter, m_pictures, m_values, groupOf(m_model), m_firmwareText);
}

void ConfigWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        event->accept();
        return;
    }
    QDialog::changeEvent(event);
}
