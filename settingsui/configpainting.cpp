#include "settingsui/configpainting.h"

#include "base/texttable.h"
#include "resources/gfxpaths.h"

#include <QPainter>

namespace {

constexpr TextId kDriveText = 46;
constexpr TextId kFirmwareText = 76;
constexpr QColor kTextColour(220, 220, 220);

QString textOf(TextId row, const char *literal)
{
    return row >= 0 ? uiText(row) : QString::fromLatin1(literal);
}

void paintTexts(QPainter &painter, const QString &firmwareText)
{
    using namespace ConfigLayout;
    const auto leftAligned = Qt::AlignLeft | Qt::AlignVCenter;
    for (const Label &label : labels())
        painter.drawText(labelRect(label), leftAligned, textOf(label.textRow, label.literal));
    painter.drawText(cardChooserCaptionRect(), leftAligned, uiText(kDriveText));
    const Label firmware{firmwareLabelPosition(), -1, nullptr};
    painter.drawText(labelRect(firmware), leftAligned,
                     QStringLiteral("%1 : %2").arg(uiText(kFirmwareText), firmwareText));

    for (const BoxGroup &group : boxGroups()) {
        for (const Box &box : group.boxes) {
            if (!box.textRect.isEmpty())
                painter.drawText(box.textRect, Qt::AlignRight | Qt::AlignVCenter, textOf(box.textRow, box.literal));
        }
    }
}

} // namespace

ConfigPictures ConfigPictures::load()
{
    return ConfigPictures{QPixmap(Gfx::path(QStringLiteral("marlow_setting_bg.png"))),
                          QPixmap(Gfx::path(QStringLiteral("check.png"))),
                          QPixmap(Gfx::path(QStringLiteral("check1.png"))),
                          QPixmap(Gfx::path(QStringLiteral("disbox.png"))),
                          QPixmap(Gfx::path(QStringLiteral("discheck2.png")))};
}

const QPixmap &ConfigPictures::forMark(ConfigLayout::Mark mark) const
{
    switch (mark) {
    case ConfigLayout::Mark::Ticked:
        return ticked;
    case ConfigLayout::Mark::UnavailableChoice:
        return unavailableChoice;
    case ConfigLayout::Mark::UnavailableToggle:
        return unavailableToggle;
    case ConfigLayout::Mark::Chosen:
    case ConfigLayout::Mark::None:
        break;
    }
    return chosen;
}

void paintConfigForm(QPainter &painter, const ConfigPictures &pictures, const ConfigLayout::Values &values,
                     ConfigLayout::ModelGroup model, const QString &firmwareText)
{
    painter.drawPixmap(QRect(0, 0, 554, 660), pictures.background);
    painter.setPen(kTextColour);
    paintTexts(painter, firmwareText);
    for (const ConfigLayout::MarkPaint &paint : ConfigLayout::marks(values, model)) {
        if (paint.mark != ConfigLayout::Mark::None)
            painter.drawPixmap(paint.rect, pictures.forMark(paint.mark));
    }
}
