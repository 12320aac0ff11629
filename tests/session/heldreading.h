#pragma once

// A reading of a card for tests that must see it under way: the card is read for real, the first
// clip alone is told of, and the reading then holds until released or cancelled.
#include "telemetry/cardindexer.h"

#include <QThread>

#include <atomic>

class HeldReading
{
public:
    // For CardIndexer::setBuilder; it outlives the builds it makes.
    CardIndexer::Builder builder()
    {
        return [this](const QString &folder, const CardIndex::BuildOptions &options) {
            CardIndex::BuildOptions quiet = options;
            quiet.progress = nullptr;
            const CardIndex index = CardIndex::build(folder, quiet);
            options.progress(CardIndex(index.folder(), index.entries().mid(0, 1)), 1, int(index.entries().size()));
            m_holding.store(true);
            while (!m_released.load() && !options.cancelled->load())
                QThread::msleep(5);
            return index;
        };
    }
    // The first clip has been told of and the reading holds.
    bool isHolding() const { return m_holding.load(); }
    void release() { m_released.store(true); }

private:
    std::atomic<bool> m_holding{false};
    std::atomic<bool> m_released{false};
};
