// Player names its most looked-up libraries first so the dynamic loader
// finds symbols sooner. That must never change what a symbol binds to, nor
// which libraries are loaded: compared here, binding by binding, with the
// same objects linked the plain way.
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct LoaderTrace {
    QHash<QString, QString> definitions;   // "referrer symbol [version]" -> defining object
    QSet<QString> loaded;                  // every object the loader mapped
    QStringList needed;                    // the executable's own dependency list, in order
};

// Runs the program once with every relocation done at start (so lazily bound
// symbols count too) and the loader reporting each binding and each file.
LoaderTrace TraceLoader(const QString& program, const QString& folder)
{
    LoaderTrace trace;
    const QString prefix = QDir(folder).filePath(QFileInfo(program).fileName());
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LD_BIND_NOW", "1");
    environment.insert("LD_DEBUG", "bindings,files");
    environment.insert("LD_DEBUG_OUTPUT", prefix);
    process.setProcessEnvironment(environment);
    process.start(program, {});   // no medium: prints its usage and ends
    const qint64 pid = process.waitForStarted() ? process.processId() : 0;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return trace;
    }
    QFile log(prefix + "." + QString::number(pid));
    if (!log.open(QIODevice::ReadOnly))
        return trace;

    const QString self = QFileInfo(program).absoluteFilePath();
    const auto name = [&self](const QString& object) {
        return QFileInfo(object).absoluteFilePath() == self ? QStringLiteral("<program>") : object;
    };
    static const QRegularExpression binding(
        R"(binding file (\S+) \[\d+\] to (\S+) \[\d+\]: \w+ symbol `([^']+)'(?: \[([^\]]+)\])?)");
    static const QRegularExpression file(R"(file=(\S+) \[\d+\];  generating link map)");
    static const QRegularExpression neededBy(R"(file=(\S+) \[\d+\];  needed by (\S+) \[\d+\])");
    while (!log.atEnd()) {
        const QString line = QString::fromUtf8(log.readLine());
        if (const auto m = binding.match(line); m.hasMatch()) {
            const QString key = name(m.captured(1)) + ' ' + m.captured(3) + " [" + m.captured(4) + ']';
            trace.definitions.insert(key, name(m.captured(2)));
        } else if (const auto m = file.match(line); m.hasMatch()) {
            trace.loaded.insert(m.captured(1));
        } else if (const auto m = neededBy.match(line); m.hasMatch()) {
            if (name(m.captured(2)) == "<program>")
                trace.needed << m.captured(1);
        }
    }
    return trace;
}

}  // namespace

class PlayerLoadOrderTest : public QObject {
    Q_OBJECT

private slots:
    void bindsEverySymbolAsThePlainBuild()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const LoaderTrace ordered = TraceLoader(VANTOREL_PROGRAM_DIR "/Player", folder.path());
        const LoaderTrace plain =
            TraceLoader(QCoreApplication::applicationDirPath() + "/Player-unordered", folder.path());

        QVERIFY2(plain.definitions.size() > 1000, "the loader reported no bindings");
        QCOMPARE(ordered.loaded, plain.loaded);
        QCOMPARE(ordered.definitions.size(), plain.definitions.size());
        int differing = 0;
        for (auto it = plain.definitions.cbegin(); it != plain.definitions.cend(); ++it) {
            const QString now = ordered.definitions.value(it.key(), "<unbound>");
            if (now != it.value() && ++differing <= 10)
                qWarning("%s: %s, plainly %s", qPrintable(it.key()), qPrintable(now), qPrintable(it.value()));
        }
        QCOMPARE(differing, 0);
    }

    void namesTheBusiestLibrariesFirst()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const LoaderTrace ordered = TraceLoader(VANTOREL_PROGRAM_DIR "/Player", folder.path());
        if (ordered.needed.size() < 10)
            QSKIP("built without the library load order");
        // The C library receives by far the most lookups; libmpv itself
        // comes after the libraries it pulls in.
        QCOMPARE(ordered.needed.first(), QStringLiteral("libc.so.6"));
        QVERIFY(ordered.needed.indexOf("libmpv.so.2") > ordered.needed.indexOf("libavcodec.so.59"));
    }
};

QTEST_GUILESS_MAIN(PlayerLoadOrderTest)
#include "tst_player_load_order.moc"
