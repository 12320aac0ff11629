#pragma once

#include <QDialog>

#include "settingsui/configlayout.h"
#include "settingsui/configpainting.h"
#include "settings/devicesettings.h"

class FlHlp;
class IconButton;
class IconToolButton;
class QComboBox;
class ClockField;
class QLabel;
class WidgetBar;

// The settings editor: a frameless, skinned dialog that finds the recorder's card, shows the
// recorder's settings as painted rows of tick boxes, edits a copy of them with the mouse and writes
// them back to the card on OK. It is the window of the settings mode and the viewer's modal
// settings dialog.
class ConfigWindow : public QDialog
{
    Q_OBJECT

public:
    explicit ConfigWindow(QWidget *parent = nullptr);
    ~ConfigWindow() override;

    // The viewer's speed unit, 1 km/h or 2 mph: preset by the viewer before exec(), read back after.
    int viewerSpeedUnit = 1;

    const ConfigLayout::Values &values() const;
    DeviceModel model() const;
    // Chooses the model the form is drawn and written for, as loading a card does.
    void setModel(DeviceModel model);
    QString settingsFolder() const;
    QString updateFolder() const;
    QString firmwareText() const;

    // Enables the clock editor and Get Current Time while the clock is to be written.
    void updateClockControls();
    // Writes the settings to the chosen card and refreshes the texts. False when the card refused
    // the write; having no card chosen writes nothing and is not a failure.
    bool Onapply();

public slots:
    void loadData(int index);
    void OnSlotsExit();
    void OnSlotsGetTime();
    void OnSlotsOK();
    void OnSlotsCancel();
    void OnSlotsBtn3();
    void OnSlotsBtn4();
    void OnSlotsBtn5();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

    void showEvent(QShowEvent *event) override;

    // Tells the user that the settings did not reach the card (that the card is write-protected,
    // when it is), naming the files that failed; the dialog stays open.
    virtual void warnSaveFailed(const QStringList &files, bool writeProtected);
    // Tells the user that there is no card to write to; the dialog stays open.
    virtual void warnNoCard();

private:
    void buildWidgets();
    void buildButtons();
    void buildClock();
    void buildBatteryRow();
    void buildCardChooser();
    void loadSettings();
    bool writeSettings();
    void applyModelToWidgets();
    void retranslate();
    template<typename Dialog>
    void runOptionDialog(int slot);

    ConfigLayout::Values m_values;
    DeviceModel m_model;
    QString m_settingsFolder;
    QString m_updateFolder;
    QString m_firmwareText;
    QStringList m_failedFiles; // of the last write
    bool m_writeProtected = false; // the last write found the card locked
    bool m_noCardTold = false;
    ConfigPictures m_pictures;

    FlHlp *m_frameless = nullptr;
    QComboBox *m_chooser = nullptr;
    QLabel *m_title = nullptr;
    ClockField *m_clock = nullptr;
    IconButton *m_exit = nullptr;
    IconToolButton *m_gmt = nullptr;
    IconToolButton *m_getTime = nullptr;
    IconToolButton *m_ok = nullptr;
    IconToolButton *m_cancel = nullptr;
    IconToolButton *m_batteryButtons[3] = {};
    WidgetBar *m_bar = nullptr;
};
