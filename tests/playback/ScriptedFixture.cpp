#include "ScriptedFixture.h"

#include "dialogs/CMessageBox.h"

#include <QApplication>

namespace {

QString ScriptedEngine()
{
    return QCoreApplication::applicationDirPath() + "/scripted-engine";
}

} // namespace

void ScriptedFixture::startCase()
{
    ++m_case;
    m_notices.clear();
    // Notices run modally: answer each from a timer once it is up.
    m_answer.disconnect();
    connect(&m_answer, &QTimer::timeout, this, [this] {
        if (auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget())) {
            m_notices << box->messageLabel()->text();
            box->btnSlotOK();
        }
    });
    m_answer.start(50);
    qputenv("VANTOREL_ENGINE", ScriptedEngine().toUtf8());
    qputenv("SCRIPTED_ENGINE_LOG", m_dir.filePath(QString("log%1.txt").arg(m_case)).toUtf8());
    script({});
    m_window = std::make_unique<DRUI>();
    m_window->BuildPages();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void ScriptedFixture::endCase()
{
    m_window.reset();
}

void ScriptedFixture::script(const QStringList &rules)
{
    const QString path = m_dir.filePath(QString("script%1.txt").arg(m_case));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(rules.join('\n').toUtf8() + '\n');
    qputenv("SCRIPTED_ENGINE_SCRIPT", path.toUtf8());
}

QStringList ScriptedFixture::logged(const QByteArray &kind) const
{
    QFile file(qEnvironmentVariable("SCRIPTED_ENGINE_LOG"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList entries;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith(kind))
            entries << QString::fromUtf8(line.mid(kind.size()));
    return entries;
}

QString ScriptedFixture::makeFile(const QString &name)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("not really a film");
    return path;
}

void ScriptedFixture::openFiles(const QStringList &files)
{
    m_window->setFileChooser([files](QWidget *) { return files; });
    QTest::mouseClick(Harness::Named(*m_window, "openFileButton"), Qt::LeftButton);
}

void ScriptedFixture::waitForEngineLine(const QString &line)
{
    QTRY_VERIFY2_WITH_TIMEOUT(received().contains(line), qPrintable(line), 5000);
}

QAction *ScriptedFixture::entry(QMenu *menu, const QString &data) const
{
    for (QAction *action : menu->actions())
        if (action->data().toString() == data)
            return action;
    return nullptr;
}

