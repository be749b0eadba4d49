// corvantine-scenario: runs a plain-text scenario against the real windows,
// offscreen, with scripted dialogs. One action a line; see usage().
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QListWidget>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <iostream>
#include <map>
#include <optional>
#include <string>

#include "app/program.h"
#include "common/twips.h"
#include "map/window/form1.h"
#include "support/widget_lookup.h"

namespace {

using corv::test::control;
using corv::test::textOf;

const char* kUsage =
    "usage: corvantine-scenario --folder DIR [--testdata DIR] FILE\n"
    "actions (one a line, '#' starts a comment, ${FOLDER} and ${TESTDATA} are replaced):\n"
    "  leftclick|rightclick|doubleclick W.C X Y   mouse click at X, Y twips inside control C\n"
    "  pick W.C TEXT            click the item TEXT of a list or combo box\n"
    "  type W.C TEXT            select all in a box (or an editable list's) and type TEXT\n"
    "  click W.C                click a button, check box or option button\n"
    "  leave W.C                the control loses the focus\n"
    "  close W                  close window W as the user would\n"
    "  handoff N|AREA|LENGTH|LCA|AREAUNITS|LENGTHUNITS   the map's basin hand-off to the\n"
    "                           hydrograph window (an empty number: no such report)\n"
    "  answer ok | answer yesno Yes|No | answer input [TEXT] | answer file [PATH]\n"
    "  print W.C | print caption W | print file NAME | print messages\n"
    "  snapshot W FILE          save a picture of window W as it is drawn (PNG)\n"
    "  expect W.C contains|equals|lacks TEXT\n"
    "  expect caption W contains|equals|lacks TEXT\n"
    "  expect file NAME contains|equals|lacks TEXT\n"
    "  expect message contains TEXT     (the last message box)\n"
    "  expect visible|hidden W.C | expect nomessage\n"
    "  onshow W                 the lines up to 'end' run when window W is next shown\n"
    "  ...                      modally, inside its wait (a window such as the period\n"
    "  end                      window that the program shows and waits on)\n"
    "  sqlite FILE STATEMENT    one SQL statement on the SQLite database FILE of the\n"
    "                           program's folder, through the SQLite ODBC driver\n";

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Lines of a script with their line numbers.
struct Step {
    QString line;
    int lineNo;
};

class Runner : public QObject {
public:
    Runner(corv::Program& program, corv::ScriptedDialogs& dialogs, QString folder)
        : program_(program), dialogs_(dialogs), folder_(std::move(folder))
    {
        qApp->installEventFilter(this);
    }
    ~Runner() override
    {
        qApp->removeEventFilter(this);
        QSqlDatabase::removeDatabase(QStringLiteral("scenario-sqlite"));
    }

    int failures = 0;
    // A step that could not be carried out inside a modal showing: the script stops.
    std::optional<std::string> fatal;

    // Steps queued for the next modal showing of a window.
    void queueOnShow(const QString& windowName, std::vector<Step> steps)
    {
        onShow_[windowName].push_back(std::move(steps));
    }
    // Steps queued that no showing took.
    int unusedBlocks() const
    {
        int n = 0;
        for (const auto& [name, blocks] : onShow_) n += static_cast<int>(blocks.size());
        return n;
    }

    void run(const QString& line, int lineNo)
    {
        QString rest = line.trimmed();
        if (rest.isEmpty() || rest.startsWith('#')) return;
        const QString verb = take(rest);
        if (verb == "leftclick" || verb == "rightclick" || verb == "doubleclick") {
            QWidget* w = widget(take(rest));
            const double x = number(take(rest));
            const double y = number(take(rest));
            const QPoint p(corv::twips::toPixelsX(x), corv::twips::toPixelsY(y));
            if (verb == "doubleclick") QTest::mouseDClick(w, Qt::LeftButton, {}, p);
            else QTest::mouseClick(w, verb == "leftclick" ? Qt::LeftButton : Qt::RightButton, {}, p);
        } else if (verb == "pick") {
            QWidget* w = widget(take(rest));
            requireVisible(w);
            if (auto* list = qobject_cast<QListWidget*>(w)) {
                const auto found = list->findItems(rest, Qt::MatchExactly);
                if (found.isEmpty()) throw Failure("no item '" + rest.toStdString() + "' in " + w->objectName().toStdString());
                list->setCurrentItem(found.first());
                emit list->itemClicked(found.first());
            } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
                const int i = combo->findText(rest, Qt::MatchExactly);
                if (i < 0) throw Failure("no item '" + rest.toStdString() + "' in " + w->objectName().toStdString());
                combo->setCurrentIndex(i);
                emit combo->activated(i);
            } else {
                throw Failure(w->objectName().toStdString() + " is not a list");
            }
        } else if (verb == "type") {
            QWidget* w = widget(take(rest));
            requireVisible(w);
            w->setFocus();
            if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
            else if (auto* e2 = qobject_cast<QPlainTextEdit*>(w)) e2->selectAll();
            else if (auto* sp = qobject_cast<QAbstractSpinBox*>(w)) sp->selectAll();
            else if (auto* c = qobject_cast<QComboBox*>(w); c && c->lineEdit()) (w = c->lineEdit()), c->lineEdit()->selectAll();
            else throw Failure(w->objectName().toStdString() + " is not a text box");
            if (rest.isEmpty()) QTest::keyClick(w, Qt::Key_Delete);
            else QTest::keyClicks(w, rest);
        } else if (verb == "click") {
            QWidget* w = widget(take(rest));
            requireVisible(w);
            auto* b = qobject_cast<QAbstractButton*>(w);
            if (!b) throw Failure(w->objectName().toStdString() + " is not a button");
            if (!b->isEnabled()) throw Failure(w->objectName().toStdString() + " is disabled");
            b->click();
        } else if (verb == "leave") {
            QWidget* w = widget(take(rest));
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(w, &out);
        } else if (verb == "close") {
            QWidget* w = window(take(rest));
            w->close();
        } else if (verb == "handoff") {
            handOff(rest);
        } else if (verb == "answer") {
            answer(rest);
        } else if (verb == "snapshot") {
            QWidget* w = window(take(rest));
            if (!w->grab().save(rest, "PNG")) throw Failure("cannot write " + rest.toStdString());
        } else if (verb == "print") {
            std::cout << value(rest).toStdString() << std::endl;
        } else if (verb == "expect") {
            expect(rest, lineNo);
        } else if (verb == "sqlite") {
            sqlite(rest);
        } else {
            throw Failure("unknown action '" + verb.toStdString() + "'");
        }
        QCoreApplication::processEvents();
    }

protected:
    // A window shown modally runs the steps queued for it once its wait has begun; one
    // with nothing queued would wait for ever, so it is a failure and is hidden again.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show) return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !w->isWindow() || w->windowModality() == Qt::NonModal) return false;
        const QString name = w->objectName();
        auto found = onShow_.find(name);
        if (found == onShow_.end() || found->second.empty()) {
            fatal = "window " + name.toStdString() + " was shown modally with no onshow steps queued";
            QTimer::singleShot(0, w, &QWidget::hide);
            return false;
        }
        std::vector<Step> steps = std::move(found->second.front());
        found->second.pop_front();
        QTimer::singleShot(0, w, [this, w, steps = std::move(steps)] {
            for (const Step& s : steps) {
                if (fatal) break;
                try {
                    run(s.line, s.lineNo);
                } catch (const std::exception& e) {
                    fatal = "line " + std::to_string(s.lineNo) + ": " + e.what();
                }
            }
            // The script goes on only once the showing has ended.
            if (w->isVisible()) {
                if (!fatal) fatal = "window " + w->objectName().toStdString() + " still shown after its onshow steps";
                w->hide();
            }
        });
        return false;
    }

private:
    static QString take(QString& rest)
    {
        rest = rest.trimmed();
        const int sp = rest.indexOf(' ');
        QString word = sp < 0 ? rest : rest.left(sp);
        rest = sp < 0 ? QString() : rest.mid(sp + 1).trimmed();
        return word;
    }
    static double number(const QString& s)
    {
        bool ok = false;
        const double v = s.toDouble(&ok);
        if (!ok) throw Failure("not a number: '" + s.toStdString() + "'");
        return v;
    }
    QWidget* window(const QString& name)
    {
        QWidget* w = program_.window(name);
        if (!w) throw Failure("window " + name.toStdString() + " is not loaded");
        return w;
    }
    QWidget* widget(const QString& qualified)
    {
        const int dot = qualified.indexOf('.');
        if (dot < 0) throw Failure("control names need their window: '" + qualified.toStdString() + "'");
        try {
            return control(window(qualified.left(dot)), qualified.mid(dot + 1));
        } catch (const Failure&) {
            throw;
        } catch (const std::exception& e) {
            throw Failure(e.what());
        }
    }
    static void requireVisible(QWidget* w)
    {
        if (!w->isVisible()) throw Failure(w->objectName().toStdString() + " is not visible");
    }
    void handOff(const QString& rest)
    {
        const QStringList f = rest.split('|');
        if (f.size() != 6) throw Failure("handoff takes six fields separated by |");
        corv::BasinMeasurements m;
        m.areaNumber = static_cast<std::int16_t>(number(f[0]));
        auto present = [](const QString& t) { return t.isEmpty() ? std::nullopt : std::optional<QString>(t); };
        m.basinArea = present(f[1]);
        m.streamLength = present(f[2]);
        m.lengthBelowCentroid = present(f[3]);
        m.areaUnits = f[4];
        m.lengthUnits = f[5];
        program_.handOffToRunoff(m);
    }
    void answer(QString rest)
    {
        const QString kind = take(rest);
        if (kind == "ok") dialogs_.answerMessage(corv::MsgAnswer::Ok);
        else if (kind == "yesno") {
            if (rest == "Yes") dialogs_.answerMessage(corv::MsgAnswer::Yes);
            else if (rest == "No") dialogs_.answerMessage(corv::MsgAnswer::No);
            else throw Failure("answer yesno takes Yes or No");
        } else if (kind == "input") {
            dialogs_.answerInput(rest.isEmpty() ? std::nullopt : std::optional<QString>(rest));
        } else if (kind == "file") {
            dialogs_.answerFile(rest.isEmpty() ? std::nullopt : std::optional<QString>(rest));
        } else {
            throw Failure("unknown answer kind '" + kind.toStdString() + "'");
        }
    }
    // The test's own database, made through the driver the program reads it with.
    void sqlite(QString rest)
    {
        const QString file = take(rest);
        const QString name = QStringLiteral("scenario-sqlite");
        QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                       : QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
        const QString connection =
            QStringLiteral("Driver=SQLite3;Database=") + QDir(folder_).filePath(file) + QLatin1Char(';');
        if (db.databaseName() != connection) {
            db.close();
            db.setDatabaseName(connection);
        }
        if (!db.isOpen() && !db.open()) throw Failure("cannot open " + file.toStdString() + ": " + db.lastError().text().toStdString());
        QSqlQuery q(db);
        if (!q.exec(rest)) throw Failure(rest.toStdString() + ": " + q.lastError().text().toStdString());
    }
    QString fileText(const QString& name)
    {
        QFile f(QDir(folder_).filePath(name));
        if (!f.open(QIODevice::ReadOnly)) throw Failure("cannot read file " + name.toStdString());
        return QString::fromLatin1(f.readAll());
    }
    QString value(QString rest)
    {
        const QString what = take(rest);
        if (what == "caption") return window(take(rest))->windowTitle();
        if (what == "file") return fileText(rest);
        if (what == "messages") {
            QStringList all;
            for (const auto& m : dialogs_.messages()) all << m;
            return all.join('\n');
        }
        return textOf(widget(what));
    }
    void expect(QString rest, int lineNo)
    {
        const QString what = take(rest);
        QString found;
        bool ok = false;
        QString wanted;
        if (what == "visible" || what == "hidden") {
            QWidget* w = widget(take(rest));
            ok = w->isVisible() == (what == "visible");
            found = w->isVisible() ? "visible" : "hidden";
            wanted = what;
        } else if (what == "nomessage") {
            ok = dialogs_.messages().empty();
            found = ok ? QString() : dialogs_.messages().back();
            wanted = "no message box";
        } else {
            if (what == "message") {
                found = dialogs_.messages().empty() ? QString() : dialogs_.messages().back();
            } else if (what == "caption") {
                found = window(take(rest))->windowTitle();
            } else if (what == "file") {
                const QString name = take(rest);
                found = fileText(name);
            } else {
                found = textOf(widget(what));
            }
            const QString op = take(rest);
            wanted = op + " '" + rest + "'";
            if (op == "contains") ok = found.contains(rest);
            else if (op == "equals") ok = found == rest;
            else if (op == "lacks") ok = !found.contains(rest);
            else throw Failure("expect takes contains, equals or lacks");
        }
        if (!ok) {
            ++failures;
            std::cerr << "line " << lineNo << ": expected " << wanted.toStdString() << ", found '"
                      << found.toStdString() << "'" << std::endl;
        }
    }

    corv::Program& program_;
    corv::ScriptedDialogs& dialogs_;
    QString folder_;
    std::map<QString, std::deque<std::vector<Step>>> onShow_;
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvantine");

    QString folder, testdata, file;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--folder" && i + 1 < args.size()) folder = args[++i];
        else if (args[i] == "--testdata" && i + 1 < args.size()) testdata = args[++i];
        else if (args[i] == "--help") {
            std::cout << kUsage;
            return 0;
        } else file = args[i];
    }
    if (folder.isEmpty() || file.isEmpty()) {
        std::cerr << kUsage;
        return 2;
    }
    QDir().mkpath(folder);
    QFile script(file);
    if (!script.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::cerr << "cannot read " << file.toStdString() << std::endl;
        return 2;
    }

    auto dialogsOwned = std::make_unique<corv::ScriptedDialogs>();
    corv::ScriptedDialogs& dialogs = *dialogsOwned;
    corv::Program program(QDir(folder).absolutePath(), std::move(dialogsOwned));
    program.form1()->show();
    QCoreApplication::processEvents();

    Runner runner(program, dialogs, QDir(folder).absolutePath());
    QTextStream in(&script);
    int lineNo = 0;
    auto nextLine = [&] {
        QString line = in.readLine();
        ++lineNo;
        return line.replace("${FOLDER}", QDir(folder).absolutePath()).replace("${TESTDATA}", testdata);
    };
    while (!in.atEnd()) {
        const QString line = nextLine();
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("onshow "))) {
            // Collected now, run at the window's next modal showing.
            const int start = lineNo;
            std::vector<Step> steps;
            bool closed = false;
            while (!in.atEnd()) {
                const QString inner = nextLine();
                if (inner.trimmed() == QLatin1String("end")) {
                    closed = true;
                    break;
                }
                steps.push_back({inner, lineNo});
            }
            if (!closed) {
                std::cerr << "line " << start << ": onshow without end" << std::endl;
                return 2;
            }
            runner.queueOnShow(trimmed.mid(7).trimmed(), std::move(steps));
            continue;
        }
        try {
            runner.run(line, lineNo);
        } catch (const std::exception& e) {
            std::cerr << "line " << lineNo << ": " << e.what() << std::endl;
            return 2;
        }
        if (runner.fatal) {
            std::cerr << *runner.fatal << std::endl;
            return 2;
        }
    }
    if (runner.unusedBlocks() > 0) {
        std::cerr << runner.unusedBlocks() << " onshow blocks were never run" << std::endl;
        ++runner.failures;
    }
    for (const auto& a : dialogs.asked())
        if (a.unanswered) {
            std::cerr << "a dialog found no answer queued: " << a.text.toStdString() << std::endl;
            ++runner.failures;
        }
    if (dialogs.pending() > 0) {
        std::cerr << dialogs.pending() << " queued answers were never used" << std::endl;
        ++runner.failures;
    }
    std::cout << (runner.failures == 0 ? "scenario passed" : "scenario failed") << std::endl;
    return runner.failures == 0 ? 0 : 1;
}
