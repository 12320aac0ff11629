#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>

class PlaybackSession;
class QPrinter;
struct ShownMoment;
class QWidget;
class WidgetProgressA;

// Saves and prints the pictures on screen, one per recorder channel: saved JPEGs carry the time,
// place and recorder in EXIF, the printed page carries them in a caption. Dialogs open over
// `window`; problems are reported through warning(). GUI thread only.
class MomentCapture : public QObject
{
    Q_OBJECT

public:
    MomentCapture(PlaybackSession *session, WidgetProgressA *dashboard, QWidget *window);

    // The pictures of the clip on screen, one per channel; false (with a warning) without an open
    // clip, or when there is no picture yet.
    bool grab(QImage *images);
    // Asks for a file name and saves the pictures there.
    void snapshot();
    // Asks for a printer and prints the page. A PDF is offered in the snapshots' folder under a
    // name from the clip and the position shown.
    void print();

signals:
    void warning(const QString &title, const QString &text);
    // The pictures were saved, or the page printed to a file, as `files`.
    void saved(const QStringList &files);

private:
    void offerPdfName(QPrinter &printer, const ShownMoment &moment);
    void reportPdf(const QPrinter &printer);

    PlaybackSession *m_session;
    WidgetProgressA *m_dashboard;
    QPointer<QWidget> m_window;
};
