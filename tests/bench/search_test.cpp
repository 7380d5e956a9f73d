#include "bench/modulesearch.h"
#include "session/benchsession.h"
#include "bench/mprofrm.h"
#include "session/benchqids.h"
#include "link/inifile.h"
#include "support/fakembcommaster.h"
#include "support/messagerecorder.h"

#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace
{
const QString kImr = QStringLiteral("ТЕВОР ЦТМ ИМР 31.02.04.00");
const QString kUsi = QStringLiteral("ТЕВОР ЦТМ УСИ 31.03.04.00");
const QString kIpt = QStringLiteral("ТЕВОР ЦТМ ИПТ 31.04.03.01");
const QString kNone = QStringLiteral("Не обнаружено");
constexpr int kDeadline = 3000;
} // namespace

// The search against a scripted client: what reaches the grid, the
// descriptors, the buttons and "QTM.ini".
class SearchTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<BenchSession> m_session;
    FakeMBComMaster *m_mbcm = nullptr; // the session's
    std::unique_ptr<QTableWidget> m_sg;
    std::unique_ptr<QPushButton> m_search;
    std::unique_ptr<QPushButton> m_props;
    std::unique_ptr<TMProFrm> m_mpro;
    std::unique_ptr<ModuleSearch> m_ms;

    QString Cell(int row, int col) const { return m_sg->item(row, col)->text(); }
    // Answers arrive through the event loop, as from the client.
    void Answer(int adr, const QVariant &text, int result = 0)
    {
        m_mbcm->DeliverFrom(BenchQid::DeviceName, adr, text, result);
    }
    void AnswerRest(int from, int result = 2)
    {
        for (int adr = from; adr <= 10; ++adr)
            Answer(adr, QVariant(), result);
    }
    bool WaitDone()
    {
        return QTest::qWaitFor([this] { return !m_ms->Running(); }, kDeadline);
    }
    void SetLink(bool up)
    {
        m_mbcm->DeliverConnected(up);
        QTRY_COMPARE(m_session->BenchConnected(), up);
    }
    int IniAddress(const char *key) const
    {
        return IniFile(QStringLiteral("QTM.ini"))
            .ReadInteger(QStringLiteral("QTM Address"), QString::fromLatin1(key), -1);
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("QTM_CONFIG_DIR", QFile::encodeName(m_dir->path()));
        m_messages = std::make_unique<MessageRecorder>();
        m_mbcm = new FakeMBComMaster;
        m_session = std::make_unique<BenchSession>(m_mbcm, new FakeMBComMaster);
        m_sg = std::make_unique<QTableWidget>(4, 3);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c)
                m_sg->setItem(r, c, new QTableWidgetItem);
        for (int r = 1; r < 4; ++r)
            m_sg->item(r, 1)->setText(QStringLiteral("?"));
        m_search = std::make_unique<QPushButton>();
        m_props = std::make_unique<QPushButton>();
        m_mpro = std::make_unique<TMProFrm>();
        m_mpro->Session = m_session.get();
        m_ms = std::make_unique<ModuleSearch>(
            *m_session, ModuleSearch::Controls{m_sg.get(), m_search.get(), m_props.get()}, m_mpro.get());
        SetLink(true);
    }
    void cleanup()
    {
        m_ms.reset();
        m_mpro.reset();
        m_session.reset();
        m_messages.reset();
        qunsetenv("QTM_CONFIG_DIR");
        m_dir.reset();
    }

    void startHandsOverTenRequestsAndClearsTheRegistry()
    {
        m_session->ImrDev().Adr = 4;
        m_session->UsiDev().Adr = 5;
        m_session->IptDev().Adr = 6;
        m_sg->item(1, 1)->setText(QStringLiteral("4"));
        m_sg->item(2, 2)->setText(kUsi);
        m_ms->BitBtn5Click();
        QVERIFY(!m_search->isEnabled());
        QCOMPARE(m_ms->SearchPending(), 10);
        QCOMPARE(m_session->ImrDev().Adr, 0);
        QCOMPARE(m_session->UsiDev().Adr, 0);
        QCOMPARE(m_session->IptDev().Adr, 0);
        QCOMPARE(Cell(2, 2), QString());
        QCOMPARE(Cell(1, 1), QStringLiteral("4")); // kept until an answer replaces it
        const auto tasks = m_mbcm->TasksFor(BenchQid::DeviceName);
        QList<int> devices;
        for (const auto &t : tasks)
            if (t.op == QLatin1String("GetDeviceName"))
                devices << t.device;
        QCOMPARE(devices, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        QVERIFY(m_messages->shown.isEmpty());
    }

    void noModuleAnswers()
    {
        m_sg->item(2, 1)->setText(QStringLiteral("7"));
        m_ms->BitBtn5Click();
        AnswerRest(1, 4);
        QVERIFY(WaitDone());
        QCOMPARE(m_ms->SearchPending(), 0);
        for (int r = 1; r <= 3; ++r)
            QCOMPARE(Cell(r, 2), kNone);
        QCOMPARE(Cell(2, 1), QStringLiteral("7"));
        QCOMPARE(Cell(1, 1), QStringLiteral("?"));
        QCOMPARE(IniAddress("IMR"), 0);
        QCOMPARE(IniAddress("USI"), 0);
        QCOMPARE(IniAddress("IPT"), 0);
        QVERIFY(m_search->isEnabled());
    }

    void threeModulesFoundAndSaved()
    {
        m_ms->BitBtn5Click();
        Answer(1, QStringLiteral("ЦТМ-ИМР ТЕВОР"));
        Answer(2, QStringLiteral("ЦТМ-УСИ"));
        Answer(3, QStringLiteral("ЦТМ-ИПТ"));
        Answer(4, QStringLiteral("ЦТМ-ИМ")); // not a marker
        QTRY_COMPARE_WITH_TIMEOUT(m_ms->SearchPending(), 6, kDeadline);
        QVERIFY(!m_search->isEnabled());
        QCOMPARE(Cell(1, 2), kImr);
        QCOMPARE(Cell(2, 2), kUsi);
        QCOMPARE(Cell(3, 2), kIpt);
        QCOMPARE(Cell(1, 1), QStringLiteral("1"));
        QCOMPARE(m_session->ImrDev().Name, QStringLiteral("ЦТМ-ИМР ТЕВОР"));
        QCOMPARE(IniAddress("IMR"), -1); // only at the end
        AnswerRest(5);
        QVERIFY(WaitDone());
        QCOMPARE(IniAddress("IMR"), 1);
        QCOMPARE(IniAddress("USI"), 2);
        QCOMPARE(IniAddress("IPT"), 3);
        QCOMPARE(Cell(1, 2), kImr);
        QVERIFY(m_search->isEnabled());
    }

    void answerContentsEdgeCases_data()
    {
        QTest::addColumn<QVariant>("text");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("imr");
        QTest::addColumn<int>("usi");
        QTest::addColumn<int>("ipt");
        QTest::addColumn<QString>("name");
        QTest::newRow("two markers") << QVariant(QStringLiteral("ЦТМ-ИМР/ЦТМ-УСИ")) << 0 << 5 << 5 << 0
                                     << QStringLiteral("ЦТМ-ИМР/ЦТМ-УСИ");
        QTest::newRow("cut at NUL") << QVariant(QStringLiteral("ЦТМ-ИПТ") + QChar(0) +
                                                QStringLiteral("ЦТМ-ИМР"))
                                    << 0 << 0 << 0 << 5 << QStringLiteral("ЦТМ-ИПТ");
        QTest::newRow("marker after NUL")
            << QVariant(QStringLiteral("x") + QChar(0) + QStringLiteral("ЦТМ-УСИ")) << 0 << 0 << 0 << 0
            << QString();
        QTest::newRow("failed answer with text")
            << QVariant(QStringLiteral("ЦТМ-ИМР")) << 3 << 0 << 0 << 0 << QString();
        QTest::newRow("lower case") << QVariant(QStringLiteral("цтм-имр")) << 0 << 0 << 0 << 0 << QString();
    }
    void answerContentsEdgeCases()
    {
        QFETCH(QVariant, text);
        QFETCH(int, result);
        m_ms->BitBtn5Click();
        Answer(5, text, result);
        AnswerRest(6);
        for (int adr = 1; adr < 5; ++adr)
            Answer(adr, QVariant(), 1);
        QVERIFY(WaitDone());
        QTEST(int(m_session->ImrDev().Adr), "imr");
        QTEST(int(m_session->UsiDev().Adr), "usi");
        QTEST(int(m_session->IptDev().Adr), "ipt");
        QFETCH(QString, name);
        const QString found = m_session->IptDev().Adr ? m_session->IptDev().Name : m_session->ImrDev().Name;
        QCOMPARE(found, name);
        QCOMPARE(Cell(2, 2), m_session->UsiDev().Adr ? kUsi : kNone);
    }

    void lastOfTwoSameModulesWins()
    {
        m_ms->BitBtn5Click();
        Answer(5, QStringLiteral("ЦТМ-ИМР"));
        Answer(2, QStringLiteral("ЦТМ-ИМР"));
        QTRY_COMPARE_WITH_TIMEOUT(m_ms->SearchPending(), 8, kDeadline);
        QCOMPARE(int(m_session->ImrDev().Adr), 2);
        QCOMPARE(Cell(1, 1), QStringLiteral("2"));
    }

    void repeatedOrForeignAnswersDoNotCount()
    {
        m_ms->BitBtn5Click();
        Answer(1, QStringLiteral("ЦТМ-ИМР"));
        Answer(1, QStringLiteral("ЦТМ-ИМР"));
        Answer(0, QStringLiteral("ЦТМ-УСИ"));
        Answer(11, QStringLiteral("ЦТМ-УСИ"));
        QTRY_COMPARE_WITH_TIMEOUT(m_ms->SearchPending(), 9, kDeadline);
        QTest::qWait(50);
        QCOMPARE(m_ms->SearchPending(), 9);
        QCOMPARE(m_session->UsiDev().Adr, 0);
    }

    // A link closed and reopened during a search lets the operator start again
    // while answers of the first one are still due.
    void restartDoesNotMixSearches()
    {
        m_ms->BitBtn5Click();
        for (int adr = 1; adr <= 4; ++adr)
            Answer(adr, QVariant(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(m_ms->SearchPending(), 6, kDeadline);
        m_mbcm->ClearTasks();
        m_ms->BitBtn5Click();
        QVERIFY(m_mbcm->freed.contains(BenchQid::DeviceName));
        const auto tasks = m_mbcm->tasks;
        QVERIFY(!tasks.isEmpty());
        QCOMPARE(tasks.first().op, QStringLiteral("FreeTask")); // before the new requests
        QCOMPARE(m_ms->SearchPending(), 10);
        // The old search's answers for 5..10 still arrive: they must neither end
        // the new search nor be counted twice.
        AnswerRest(5);
        QTRY_COMPARE_WITH_TIMEOUT(m_ms->SearchPending(), 4, kDeadline);
        AnswerRest(5); // the new search's answers for 5..10 are ignored as repeats
        QTest::qWait(50);
        QCOMPARE(m_ms->SearchPending(), 4);
        QVERIFY(m_ms->Running());
        QVERIFY(!m_search->isEnabled());
        Answer(1, QStringLiteral("ЦТМ-ИПТ"));
        Answer(2, QVariant(), 2);
        Answer(3, QVariant(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(m_ms->SearchPending(), 1, kDeadline);
        QVERIFY(m_ms->Running());
        Answer(4, QVariant(), 2);
        QVERIFY(WaitDone());
        QCOMPARE(m_ms->SearchPending(), 0);
        QCOMPARE(int(m_session->IptDev().Adr), 1);
        QCOMPARE(IniAddress("IPT"), 1);
        QVERIFY(m_search->isEnabled());
    }

    void linkClosedDuringSearchLeavesButtonDisabled()
    {
        m_ms->BitBtn5Click();
        SetLink(false);
        AnswerRest(1, 5);
        QVERIFY(WaitDone());
        QCOMPARE(Cell(1, 2), kNone);
        QVERIFY(!m_search->isEnabled());
    }

    void unwritableIniIsReportedAndSearchStillEnds()
    {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("QTM.ini"))); // a folder in its place
        m_ms->BitBtn5Click();
        AnswerRest(1);
        QVERIFY(WaitDone());
        QCOMPARE(m_messages->shown.size(), 1);
        QVERIFY(m_search->isEnabled());
    }

    void rowClickEnablesPropertiesOnlyForPresentModuleOnOpenLink()
    {
        m_session->ImrDev().Adr = 1;
        m_session->UsiDev().Adr = 0;
        m_props->setEnabled(true);
        m_ms->sgClick(2);
        QVERIFY(!m_props->isEnabled());
        QCOMPARE(m_ms->Selected(), &m_session->UsiDev());
        m_ms->sgClick(1);
        QVERIFY(m_props->isEnabled());
        QCOMPARE(m_ms->Selected(), &m_session->ImrDev());
        m_ms->sgClick(0);
        QVERIFY(!m_props->isEnabled());
        QCOMPARE(m_ms->Selected(), &m_session->ImrDev()); // other rows keep the selection
        SetLink(false);
        m_ms->sgClick(1);
        QVERIFY(!m_props->isEnabled());
        SetLink(true);
        m_session->IptDev().Adr = 9;
        m_ms->sgClick(3);
        QVERIFY(m_props->isEnabled());
        QCOMPARE(m_ms->Selected(), &m_session->IptDev());
    }
};

QTEST_MAIN(SearchTest)
#include "search_test.moc"
