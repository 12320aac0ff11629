#pragma once

#include "telemetry/cardindexer.h"

#include <QLabel>

// Beside the settings editor's time setting: how far off the recorder's clock was on its newest
// clips, as their GPS time shows it ("Recorder clock 1 min 15 s fast"), when that is worth telling.
// The card's index is read off the GUI thread (from its cache when the viewer read the card
// before); hidden until it is known, and for a card without GPS fixes.
class ClockErrorNote : public QLabel
{
    Q_OBJECT

public:
    explicit ClockErrorNote(QWidget *parent = nullptr);

    // Reads the clips of the card at `root` (empty: none, the note hides).
    void showCard(const QString &root);
    // The card has been read: the note shows what it found (nothing to tell when hidden).
    bool hasRead() const { return m_read; }

private:
    void take(quint64 request, const CardIndex &index);

    CardIndexer m_indexer;
    quint64 m_request = 0;
    bool m_read = false;
};
