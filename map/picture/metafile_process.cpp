// Running the metafile helper: the metafile goes to its standard input, the pixels come
// back on its standard output straight into the picture, under a time limit.
#include <QDeadlineTimer>
#include <QProcess>
#include <algorithm>

#include "common/runtime_error.h"
#include "map/helper_program.h"
#include "map/picture/metafile.h"
#include "map/picture/metafile_process.h"
#include "map/picture/picture_check.h"

namespace corv {

namespace {

[[noreturn]] void invalidPicture() { throw RuntimeError(481, "Invalid picture"); }

int remainingMs(const QDeadlineTimer& deadline) { return int(std::max<qint64>(1, deadline.remainingTime())); }

// Reads n bytes from the helper, waiting for them until the deadline. False when the
// helper ended (or closed its output) first; a time-out is reported through timedOut.
bool readExactly(QProcess& p, char* to, qint64 n, const QDeadlineTimer& deadline, bool& timedOut)
{
    while (n > 0) {
        const qint64 got = p.read(to, n);
        if (got < 0) return false;
        to += got;
        n -= got;
        if (n == 0 || got > 0) continue;
        // Nothing buffered: what a helper that has ended wrote is all read already.
        if (p.state() == QProcess::NotRunning) return false;
        if (deadline.hasExpired()) {
            timedOut = true;
            return false;
        }
        // A helper that closed its output but goes on running is waited for, not polled.
        if (!p.waitForReadyRead(remainingMs(deadline)) && p.state() != QProcess::NotRunning)
            p.waitForFinished(remainingMs(deadline));
    }
    return true;
}

}  // namespace

QString metafileHelperPath() { return helperProgramPath(QStringLiteral("corvantine-metafile")); }

QImage renderMetafile(const QByteArray& data, double dpi, const MetafileRun& run)
{
    QProcess p;
    p.setProgram(run.helper.isEmpty() ? metafileHelperPath() : run.helper);
    p.setArguments({QString::number(dpi, 'g', 10)});
    p.setStandardErrorFile(QProcess::nullDevice());
    const QDeadlineTimer deadline(run.timeLimitMs);
    p.start(QIODevice::ReadWrite);
    // A helper missing from the installation is no fault of the picture's.
    if (!p.waitForStarted(remainingMs(deadline))) throw helperNotStarted("metafile", p.program());
    p.write(data);
    p.closeWriteChannel();

    bool timedOut = false;
    QImage image;
    char header[kMetafileReplyHeader];
    std::uint32_t w = 0, h = 0;
    bool ok = readExactly(p, header, sizeof header, deadline, timedOut) && metafileReplySize(header, w, h);
    if (ok) {
        checkDecodedSize(QSize(int(w), int(h)), QString());
        image = QImage(int(w), int(h), QImage::Format_RGB32);
        if (image.isNull()) err::raise(err::kOutOfMemory);
        // RGB32 rows are whole 32-bit words: the picture is one run of bytes.
        ok = readExactly(p, reinterpret_cast<char*>(image.bits()), qint64(w) * h * 4, deadline, timedOut);
    }
    if (!timedOut && p.state() != QProcess::NotRunning)
        p.waitForFinished(remainingMs(deadline));
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(2000);
        invalidPicture();
    }
    if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == kMetafileNoMemory) err::raise(err::kOutOfMemory);
    // Only a whole reply from a helper that ended well is a picture.
    if (!ok || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || p.bytesAvailable() > 0) invalidPicture();
    return image;
}

}  // namespace corv
