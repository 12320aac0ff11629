#include "viewer/viewershortcuts.h"

#include "session/playbacksession.h"
#include "session/viewerstate.h"
#include "viewer/mainwindow.h"
#include "viewer/viewercontrols.h"

#include <QAction>

#include <algorithm>

using ViewerLayout::Button;

namespace {

using Command = ViewerShortcuts::Command;

// The driving events: N and Shift+N go through them while there is something to play; the list
// opens like the window's own buttons, always.
void addEventEntries(std::vector<ViewerShortcuts::Entry> &table)
{
    table.push_back({Command::NextEvent, {QKeySequence(Qt::Key_N)}, Button::Play, {}});
    table.push_back({Command::PreviousEvent, {QKeySequence(Qt::SHIFT | Qt::Key_N)}, Button::Play, {}});
    table.push_back({Command::EventsList, {QKeySequence(Qt::Key_E)}, Button::FolderOpen, {}});
}

std::vector<ViewerShortcuts::Entry> buildTable()
{
    const auto keys = [](std::initializer_list<QKeyCombination> combinations) {
        QList<QKeySequence> sequences;
        for (const QKeyCombination &combination : combinations)
            sequences.append(QKeySequence(combination));
        return sequences;
    };
    return {
        {Command::PlayPause, keys({Qt::Key_Space}), Button::Play, {Button::Play, Button::Pause}},
        {Command::FrameBack, keys({Qt::Key_Left}), Button::FrameBack, {Button::FrameBack}},
        {Command::FrameForward, keys({Qt::Key_Right}), Button::FrameForward, {Button::FrameForward}},
        {Command::SeekBack, keys({Qt::SHIFT | Qt::Key_Left}), Button::Play, {}},
        {Command::SeekForward, keys({Qt::SHIFT | Qt::Key_Right}), Button::Play, {}},
        {Command::PreviousClip, keys({Qt::Key_PageUp, Qt::CTRL | Qt::Key_Left}), Button::PreviousFile,
         {Button::PreviousFile}},
        {Command::NextClip, keys({Qt::Key_PageDown, Qt::CTRL | Qt::Key_Right}), Button::NextFile, {Button::NextFile}},
        // "=" is "+" without Shift on many keyboards.
        {Command::ZoomIn, keys({Qt::Key_Plus, Qt::Key_Equal}), Button::ZoomIn, {Button::ZoomIn}},
        {Command::ZoomOut, keys({Qt::Key_Minus}), Button::ZoomOut, {Button::ZoomOut}},
        {Command::ZoomFit, keys({Qt::Key_0}), Button::ActualSize, {Button::ActualSize}},
        {Command::ToggleMaximize, keys({Qt::Key_F, Qt::Key_F11}), Button::Maximize, {Button::Maximize}},
        {Command::Restore, keys({Qt::Key_Escape}), Button::Restore, {Button::Restore}},
        {Command::Mute, keys({Qt::Key_M}), Button::Volume, {Button::Volume}},
        {Command::Snapshot, keys({Qt::CTRL | Qt::Key_S}), Button::Snapshot, {Button::Snapshot}},
        {Command::Print, keys({Qt::CTRL | Qt::Key_P}), Button::Print, {Button::Print}},
        {Command::OpenFolder, keys({Qt::CTRL | Qt::Key_O}), Button::FolderOpen, {Button::FolderOpen}},
        {Command::Slower, keys({Qt::Key_BracketLeft}), Button::Play, {}},
        {Command::Faster, keys({Qt::Key_BracketRight}), Button::Play, {}},
        {Command::Quit, keys({Qt::CTRL | Qt::Key_Q}), Button::Exit, {Button::Exit}},
        // The current clip's context menu, from wherever the focus is.
        {Command::ClipMenu, keys({Qt::Key_Menu}), Button::FolderOpen, {}},
        {Command::TripView, keys({Qt::Key_T}), Button::TripView, {Button::TripView}},
        {Command::MarkIn, keys({Qt::Key_I}), Button::Play, {}},
        {Command::MarkOut, keys({Qt::Key_O}), Button::Play, {}},
        {Command::Export, keys({Qt::CTRL | Qt::Key_E}), Button::Play, {}},
    };
}

bool repeats(Command command)
{
    switch (command) {
    case Command::FrameBack:
    case Command::FrameForward:
    case Command::SeekBack:
    case Command::SeekForward:
    case Command::ZoomIn:
    case Command::ZoomOut:
        return true;
    default:
        return false;
    }
}

} // namespace

ViewerShortcuts::ViewerShortcuts(MainWindow *window, const ViewerState *state, PlaybackSession *session)
    : QObject(window)
    , m_window(window)
    , m_state(state)
    , m_session(session)
{
    for (const Entry &entry : table()) {
        auto *action = new QAction(window);
        action->setShortcuts(entry.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        // A held key keeps stepping, seeking and zooming; everything else happens once per press
        // (a held Space must not flicker between play and pause).
        action->setAutoRepeat(repeats(entry.command));
        const Command command = entry.command;
        connect(action, &QAction::triggered, this, [this, command] { run(command); });
        window->addAction(action);
        m_actions[command] = action;
    }
}

const std::vector<ViewerShortcuts::Entry> &ViewerShortcuts::table()
{
    static const std::vector<Entry> entries = [] {
        std::vector<Entry> table = buildTable();
        addEventEntries(table);
        return table;
    }();
    return entries;
}

QString ViewerShortcuts::toolTip(Button button, const QString &text)
{
    QStringList names;
    for (const Entry &entry : table()) {
        if (!entry.named.contains(button))
            continue;
        for (const QKeySequence &key : entry.keys)
            names.append(key.toString(QKeySequence::NativeText));
    }
    if (names.isEmpty())
        return text;
    const QString keys = names.join(QLatin1String(", "));
    return text.isEmpty() ? keys : QStringLiteral("%1 (%2)").arg(text, keys);
}

QAction *ViewerShortcuts::action(Command command) const
{
    const auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

bool ViewerShortcuts::run(Command command)
{
    const auto &entries = table();
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [command](const Entry &e) { return e.command == command; });
    if (entry == entries.end() || !ViewerControls::isEnabled(entry->gate, *m_state))
        return false;
    MainWindow &w = *m_window;
    switch (command) {
    case Command::PlayPause: m_state->isPlaying() ? w.OnSlotspause() : w.OnSlotsplay(); break;
    case Command::FrameBack: w.OnSlotsrw(); break;
    case Command::FrameForward: w.OnSlotsfw(); break;
    case Command::SeekBack: seekBy(-kSeekStepMs); break;
    case Command::SeekForward: seekBy(kSeekStepMs); break;
    case Command::PreviousClip: w.OnSlotspre_file(); break;
    case Command::NextClip: w.OnSlotsnext_file(); break;
    case Command::ZoomIn: w.OnSlotszoom_in(); break;
    case Command::ZoomOut: w.OnSlotszoom_out(); break;
    case Command::ZoomFit: w.OnSlotszoom_win(); break;
    case Command::ToggleMaximize: m_state->isMaximized() ? w.OnSlotsback2origin() : w.OnSlotsmaximize(); break;
    case Command::Restore:
        if (m_state->isMaximized())
            w.OnSlotsback2origin();
        break;
    case Command::Mute: w.OnSlotsvolume(); break;
    case Command::Snapshot: w.OnSlotssnapshot(); break;
    case Command::Print: w.OnSlotsprint(); break;
    case Command::OpenFolder: w.OnSlotsfolder_open(); break;
    case Command::Slower: stepRate(-1); break;
    case Command::Faster: stepRate(+1); break;
    case Command::Quit: w.close(); break;
    case Command::MarkIn: w.OnSlotsmarkIn(); break;
    case Command::MarkOut: w.OnSlotsmarkOut(); break;
    case Command::Export: w.OnSlotsexport(); break;
    case Command::NextEvent: w.jumpToEvent(+1); break;
    case Command::PreviousEvent: w.jumpToEvent(-1); break;
    case Command::EventsList: w.showEventsList(); break;
    case Command::ClipMenu: w.showClipMenu(); break;
    case Command::TripView: w.toggleTripView(); break;
    }
    return true;
}

// A seek from the picture shown, kept inside the clip; playing goes on playing.
void ViewerShortcuts::seekBy(qint64 deltaMs)
{
    if (!m_session->isOpen())
        return;
    const qint64 length = m_session->length();
    const qint64 target = std::clamp<qint64>(m_session->position() + deltaMs, 0, std::max<qint64>(0, length));
    m_window->OnSlotsProgress(int(target));
}

void ViewerShortcuts::stepRate(int direction)
{
    m_session->setRate(PlaybackSession::steppedRate(m_state->rate(), direction));
}
