// The loopback server of the program's map pages.
#include "map/browser/page_server.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>
#include <optional>

#include "map/browser/map_pages.h"

namespace corv {

namespace {

QByteArray contentType(const QString& name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix == QLatin1String("htm") || suffix == QLatin1String("html")) return "text/html; charset=utf-8";
    if (suffix == QLatin1String("js")) return "text/javascript; charset=utf-8";
    if (suffix == QLatin1String("css")) return "text/css; charset=utf-8";
    if (suffix == QLatin1String("png")) return "image/png";
    return {};
}

QByteArray response(const QByteArray& status, const QByteArray& type, const QByteArray& body, bool withBody,
                    const QByteArray& extra = {})
{
    QByteArray out = "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
                     "\r\nContent-Length: " + QByteArray::number(body.size()) +
                     "\r\nX-Content-Type-Options: nosniff\r\nCache-Control: no-cache\r\n" + extra +
                     "Connection: close\r\n\r\n";
    if (withBody) out += body;
    return out;
}

QByteArray refusal(const QByteArray& status, bool withBody = true, const QByteArray& extra = {})
{
    return response(status, "text/plain; charset=utf-8", status + "\n", withBody, extra);
}

}  // namespace

QString pageFileFor(const QString& folder, const QByteArray& target)
{
    static const QRegularExpression leafletPath(
        QStringLiteral("^/leaflet/(?:[A-Za-z0-9_-][A-Za-z0-9._-]*/)*[A-Za-z0-9_-][A-Za-z0-9._-]*$"));
    const qsizetype query = target.indexOf('?');
    const QString path = QString::fromLatin1(query < 0 ? target : target.left(query));
    const bool listed = path == QLatin1String("/bigmap.htm") || path == QLatin1String("/latlongmap.htm") ||
                        path == QLatin1String("/mappage.js") ||
                        (leafletPath.match(path).hasMatch() && !path.contains(QLatin1String("..")));
    if (!listed || contentType(path).isEmpty()) return {};
    // Only files of the folder itself: a link anywhere below it (to the sites file, to a
    // folder elsewhere) would hand out whatever it points to.
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty()) return {};
    const QString file = QDir(root).filePath(path.mid(1));
    const QFileInfo info(file);
    return info.isFile() && !info.isSymLink() && info.canonicalFilePath() == file ? file : QString();
}

namespace {

// The bytes of a regular file that is no link, opened so that a link put in its place
// since the check is not followed either; nothing when it is none.
std::optional<QByteArray> readPageFile(const QString& name)
{
    const int fd = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    QFile file;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                         file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    if (!regular) {
        ::close(fd);
        return std::nullopt;
    }
    return file.readAll();
}

}  // namespace

QByteArray answerPageRequest(const QString& folder, const QByteArray& head)
{
    const QByteArray requestLine = head.left(head.indexOf("\r\n"));
    const QList<QByteArray> parts = requestLine.split(' ');
    static const QRegularExpression method(QStringLiteral("^[A-Z]+$"));
    if (parts.size() != 3 || !method.match(QString::fromLatin1(parts[0])).hasMatch() ||
        (parts[2] != "HTTP/1.1" && parts[2] != "HTTP/1.0") || !parts[1].startsWith('/'))
        return refusal("400 Bad Request");
    const bool get = parts[0] == "GET";
    if (!get && parts[0] != "HEAD") return refusal("405 Method Not Allowed", true, "Allow: GET, HEAD\r\n");
    const QString name = pageFileFor(folder, parts[1]);
    const std::optional<QByteArray> body = name.isEmpty() ? std::nullopt : readPageFile(name);
    if (!body) return refusal("404 Not Found", get);
    return response("200 OK", contentType(name), *body, get);
}

MapPageServer::MapPageServer(const QString& folder, QObject* parent, int idleMs, int connectionMs)
    : QObject(parent), folder_(folder), idleMs_(idleMs), connectionMs_(connectionMs)
{
    server_.setMaxPendingConnections(kMaxPageConnections);
    connect(&server_, &QTcpServer::newConnection, this, &MapPageServer::acceptConnections);
}

MapPageServer::~MapPageServer()
{
    // The sockets are the server's children; they must not call back into this half-gone object.
    server_.close();
    for (auto it = connections_.begin(); it != connections_.end(); ++it) it.key()->disconnect(this);
    connections_.clear();
}

bool MapPageServer::listen() { return server_.isListening() || server_.listen(QHostAddress::LocalHost, 0); }

QString MapPageServer::site() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }

void MapPageServer::acceptConnections()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        // Full: the newcomer is likely the web view's next request, the longest silent
        // one likely a client that will never ask.
        if (connections_.size() >= kMaxPageConnections) {
            auto oldest = connections_.begin();
            for (auto it = connections_.begin(); it != connections_.end(); ++it)
                if (it->heard < oldest->heard) oldest = it;
            drop(oldest.key());
        }
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, this, [this, socket] { drop(socket); });
        idle->start(idleMs_);
        connections_.insert(socket, {{}, false, ++heardCount_, idle});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
        QTimer::singleShot(connectionMs_, socket, [this, socket] { drop(socket); });
    }
}

void MapPageServer::readRequest(QTcpSocket* socket)
{
    auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    Connection& c = it.value();
    c.heard = ++heardCount_;
    if (c.answered) {
        socket->readAll();  // one request per connection: the rest is not read
        return;
    }
    c.head += socket->read(kPageRequestLimit + 1 - c.head.size());
    const qsizetype end = c.head.indexOf("\r\n\r\n");
    QByteArray answer;
    if (end >= 0 && end + 4 <= kPageRequestLimit) {
        answer = answerPageRequest(folder_, c.head.left(end + 4));
    } else if (c.head.size() > kPageRequestLimit) {
        answer = refusal("431 Request Header Fields Too Large");
    } else {
        c.idle->start(idleMs_);
        return;  // the rest of the head is still to come
    }
    // Answered: the answer's way out is bounded by the connection's own limit.
    c.idle->stop();
    c.answered = true;
    c.head.clear();
    socket->readAll();
    socket->write(answer);
    socket->disconnectFromHost();
}

void MapPageServer::drop(QTcpSocket* socket)
{
    if (!connections_.remove(socket)) return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

QString programPagesSite(const QString& folder)
{
    static QPointer<MapPageServer> running;
    if (running && running->folder() == folder) return running->site();
    delete running.data();
    if (QCoreApplication* app = QCoreApplication::instance()) {
        auto* server = new MapPageServer(folder, app);
        if (server->listen()) {
            running = server;
            return server->site();
        }
        delete server;
    }
    return folderSite(folder);
}

}  // namespace corv
