// The program's own map pages over HTTP on the loopback address. Pages opened as files
// send no Referer with their tile requests, and OpenStreetMap's tile servers answer those
// with "Referer is required" tiles; a page served from http://127.0.0.1:PORT/ sends its
// address instead.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTcpServer>

class QTcpSocket;
class QTimer;

namespace corv {

// The most a request line and its header lines may take; a longer request is refused.
inline constexpr qsizetype kPageRequestLimit = 8192;
// The most connections the server keeps open at once: a web view opens a few for its
// page; a newcomer beyond this replaces the connection heard from longest ago.
inline constexpr int kMaxPageConnections = 64;

// The file of folder that a request target names, or empty when it is none of the served
// files: /bigmap.htm, /latlongmap.htm, /mappage.js and the pages, scripts, style sheets and
// pictures of /leaflet/. Names are plain (letters, digits, '.', '_', '-', no leading '.'),
// so "..", encoded characters, doubled or back slashes and absolute addresses never match.
// A query ("?...") is ignored. Only regular files that are no links, with no link on the
// way to them inside the folder, are served.
QString pageFileFor(const QString& folder, const QByteArray& target);

// The whole answer (status line, headers and, but for HEAD, the body) to one request head
// (the request line and header lines, up to and including the empty line). Only GET and
// HEAD of the files above; every answer closes the connection.
QByteArray answerPageRequest(const QString& folder, const QByteArray& head);

// A read-only HTTP server of one folder's map pages, on 127.0.0.1 only, at a free port.
// Every connection is served from the event loop side by side with the others: a slow or
// silent client holds only its own connection, and not for long.
class MapPageServer : public QObject {
public:
    // A connection that sends nothing for idleMs before its request is whole is dropped;
    // every connection is dropped connectionMs after it opened, answered or not.
    explicit MapPageServer(const QString& folder, QObject* parent = nullptr, int idleMs = 2500,
                           int connectionMs = 10000);
    ~MapPageServer() override;

    bool listen();
    QString folder() const { return folder_; }
    // "http://127.0.0.1:PORT" (no trailing '/').
    QString site() const;

private:
    void acceptConnections();
    void readRequest(QTcpSocket* socket);
    void drop(QTcpSocket* socket);

    QString folder_;
    int idleMs_;
    int connectionMs_;
    QTcpServer server_;
    struct Connection {
        QByteArray head;  // what it has sent so far
        bool answered = false;
        quint64 heard = 0;        // when it opened or last sent something, as a running count
        QTimer* idle = nullptr;   // drops it when it stays silent
    };
    quint64 heardCount_ = 0;
    QHash<QTcpSocket*, Connection> connections_;
};

// The site of folder's pages as served by the program's one running server, started on
// first use and stopped with the application (another folder replaces it). When no server
// can listen, the folder itself as a file:/// site, so the pages still open.
QString programPagesSite(const QString& folder);

}  // namespace corv
