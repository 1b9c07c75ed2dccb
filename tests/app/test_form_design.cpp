// The main window as designed: places, captions, hints, fonts, colours and start visibility.

#include "support/form_fixture.h"

#include <QAbstractButton>
#include <QFrame>
#include <QStyle>
#include <QStyleOptionButton>

using namespace trelvo;
using namespace trelvo::test;

namespace {
QString U(const char* s) { return QString::fromUtf8(s); }

QString TextOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    return {};
}
} // namespace

class TestFormDesign : public QObject {
    Q_OBJECT
    FormFixture fx;

    QWidget* Find(const QString& name) {
        auto* w = fx.form->findChild<QWidget*>(name);
        if (!w) qWarning("missing control %s", qPrintable(name));
        return w;
    }

private slots:
    void geometry_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        const struct {
            const char* name;
            QRect r;
        } rows[] = {
            {"Panel1", {4, 0, 937, 25}},          {"MainWindow", {4, 28, 937, 382}},
            {"SecondWindow", {4, 28, 937, 382}},  {"LogPanel", {4, 413, 937, 45}},
            {"MainPanel", {4, 459, 937, 297}},    {"MainStrCmd", {8, 6, 641, 19}},
            {"AddStrCmd", {668, 6, 261, 19}},     {"CBLists", {8, 32, 289, 33}},
            {"STListName", {8, 32, 289, 33}},     {"ListNameEDT", {8, 32, 289, 33}},
            {"EditAllCmd", {302, 32, 87, 33}},    {"DelList", {388, 32, 93, 17}},
            {"SaveF", {388, 48, 93, 17}},         {"OldCommandsBT", {480, 32, 85, 33}},
            {"ListDec", {480, 32, 85, 33}},       {"ButtonReadFile", {564, 32, 85, 33}},
            {"ListInc", {564, 32, 85, 33}},       {"SendStart", {668, 32, 129, 33}},
            {"ButtonSend", {800, 32, 129, 33}},   {"OldCmdList", {8, 72, 877, 193}},
            {"FastOldCmd", {8, 24, 641, 241}},    {"LBTail", {668, 24, 261, 241}},
            {"STLog", {8, 272, 641, 17}},         {"StaticText1", {8, 272, 641, 17}},
            {"StaticText3", {668, 272, 261, 17}}, {"STH1", {668, 72, 261, 17}},
            {"STH12", {668, 248, 261, 17}},       {"Button1", {8, 72, 89, 25}},
            {"Button8", {8, 240, 89, 25}},        {"Button9", {96, 72, 89, 25}},
            {"Button41", {448, 72, 201, 25}},     {"Button48", {448, 240, 201, 25}},
            {"Edit48", {448, 240, 201, 25}},
        };
        for (const auto& r : rows) QTest::newRow(r.name) << QString::fromLatin1(r.name) << r.r;
        const struct {
            const char* name;
            int left;
        } lefts[] = {{"BTConnect", 0},   {"BTRescan", 64},  {"ComPort", 128},  {"BaudRate", 188},
                     {"ComBits", 248},   {"ComStopBits", 308}, {"AutoConnect", 372}, {"TimeOutRx", 456},
                     {"TimeOutAns", 476}, {"FiltrLog", 580}, {"Srift", 712},   {"BTPalitra", 732},
                     {"BTLog", 732},     {"StartLog", 780}, {"StartStop", 832}, {"BtInfo", 884},
                     {"Str1", 636},      {"LPlus", 652},    {"Str2", 916},     {"RBName", 668},
                     {"RbData", 668}};
        for (const auto& l : lefts) QTest::newRow(l.name) << QString::fromLatin1(l.name) << QRect(l.left, -1, -1, -1);
    }
    void geometry() {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        QWidget* w = Find(name);
        QVERIFY(w);
        if (rect.top() < 0) {
            QCOMPARE(w->x(), rect.left());
        } else {
            QCOMPARE(w->geometry(), rect);
        }
    }

    void captionsAndHints_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        const struct {
            const char *name, *caption, *hint;
        } rows[] = {
            {"BTConnect", "Connect", ""},
            {"BTRescan", "ReScan", ""},
            {"ComPort", "", "Port"},
            {"BaudRate", "", "BaudRate"},
            {"ComBits", "", "Bits"},
            {"ComStopBits", "", "StopBit"},
            {"AutoConnect", "AutoConnect", ""},
            {"TimeOutRx", "", "Временнй интервал разделения пакетов, мс"},
            {"FiltrLog", "", "Фильтр сообщений"},
            {"Srift", "", "Размер шрифта"},
            {"BTPalitra", "Colors", "Цвет окна лога"},
            {"BTLog", "Clear", "Очистить окно лога"},
            {"StartLog", "Start Log", ""},
            {"StartStop", "||", "Остановить/продолжить вывод лога"},
            {"BtInfo", "Info", ""},
            {"VisTime", "TIME + ", ""},
            {"RBASCII", "ASCII", "Пример: \"command\""},
            {"RBHEX", "HEX", "Пример: \"00 01 02 03 0D 0E 12 13\""},
            {"Label1", "Отправка:", ""},
            {"RBManual", "Ручная", ""},
            {"RBAfterAns", "После ответа", ""},
            {"RBSel", "При выборе", ""},
            {"RBPeriod", "Период, мс:", ""},
            {"PeriodTX", "1000", ""},
            {"SendAsReconn", "Отправить при соединении", ""},
            {"CiklSend", "Циклическая отправка из файла", ""},
            {"LSend", "Send: 0", "Число отправленных пакетов"},
            {"LRead", "Read: 0", "Число принятых пакетов"},
            {"MinTimeWait", "MIN_T_W:  NA", "Минимальное время между принятыми пакетами"},
            {"MaxTimeWait", "MAX_T_W: NA", "Максимальное время между принятыми пакетами"},
            {"BTClrStat", "0", "Обнулить статистику"},
            {"MainStrCmd", "", "Командная строка"},
            {"AddStrCmd", "$0D",
             "Примеры: $0D$0A, *[XOR_8(1..n)]$0D$0A. Список алгоритмов расчёта контрольной суммы появляется при "
             "нажатии \"Стрелка вниз\". "},
            {"LPlus", "+", ""},
            {"CBLists", "", "Можно дважды кликнуть мышкой"},
            {"STListName", "List 1", "Список откроется по двойному клику"}, // list 1 is shown at start-up
            {"EditAllCmd", "Редактор", ""},
            {"DelList", "Очистить", "Очистить весь список команд"},
            {"SaveF", "Сохранить", "Сохранить все изменения в файл"},
            {"OldCommandsBT", "Отправленные", ""},
            {"ListDec", "<<<<<", ""},
            {"ListInc", ">>>>>", ""},
            {"ButtonReadFile", "Из файла", ""},
            {"RBName", "Имя команды", ""},
            {"RbData", "Командная строка", ""},
            {"SendStart", "Отправить из файла", ""},
            {"ButtonSend", "Отправить", ""},
            {"STLog", "Запись в файл не ведётся", ""},
            {"StaticText1", "Двойной клик по команде откроет окно редактирования справки", ""},
            {"StaticText3", "TX: 0, RX: 0", ""},
        };
        for (const auto& r : rows) QTest::newRow(r.name) << QString::fromLatin1(r.name) << U(r.caption) << U(r.hint);
    }
    void captionsAndHints() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, hint);
        QWidget* w = Find(name);
        QVERIFY(w);
        QCOMPARE(TextOf(w), caption);
        QCOMPARE(w->toolTip(), hint);
    }

    // A check box or radio button whose caption is wider than the room its box leaves for it is cut at the edge.
    void checkCaptionsFit() {
        for (QAbstractButton* b : fx.form->findChildren<QAbstractButton*>()) {
            const bool radio = qobject_cast<QRadioButton*>(b) != nullptr;
            if (!radio && !qobject_cast<QCheckBox*>(b)) continue;
            if (b->parentWidget()->layout()) continue; // sized by its layout, not by the design
            QStyleOptionButton opt;
            opt.initFrom(b);
            opt.text = b->text();
            const QRect room = b->style()->subElementRect(
                radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &opt, b);
            const int need = QFontMetrics(b->font()).horizontalAdvance(b->text());
            QVERIFY2(need <= room.width(),
                     qPrintable(QStringLiteral("%1: %2 > %3").arg(b->objectName()).arg(need).arg(room.width())));
        }
    }

    void startVisibility() {
        TForm1& f = *fx.form;
        for (QWidget* hidden : std::initializer_list<QWidget*>{f.SecondWindow, f.CiklSend, f.STListName, f.ListNameEDT,
                                                              f.DelList, f.SaveF, f.ListDec, f.ListInc,
                                                              f.OldCommandsBT, f.SendStart, f.OldCmdList,
                                                              f.FastOldCmd, f.LBTail, f.StaticText1})
            QVERIFY2(!hidden->isVisibleTo(&f), qPrintable(hidden->objectName()));
        for (QWidget* shown : std::initializer_list<QWidget*>{f.MainWindow, f.CBLists, f.EditAllCmd, f.ButtonReadFile,
                                                             f.RBName, f.RbData, f.ButtonSend, f.STLog})
            QVERIFY2(shown->isVisibleTo(&f), qPrintable(shown->objectName()));
        QVERIFY(!f.ListDec->isEnabled());
        QVERIFY(f.ListInc->isEnabled());
    }

    void boxesAndLists() {
        TForm1& f = *fx.form;
        QCOMPARE(f.BaudRate->count(), 11);
        QCOMPARE(f.BaudRate->itemText(10), QStringLiteral("921600"));
        QCOMPARE(f.BaudRate->currentText(), QStringLiteral("1200"));
        QCOMPARE(f.BaudRate->itemText(7), QStringLiteral("115200"));
        QCOMPARE(f.ComBits->currentText(), QStringLiteral("8"));
        QCOMPARE(f.ComStopBits->itemText(1), QStringLiteral("1,5"));
        QCOMPARE(f.ComStopBits->currentText(), QStringLiteral("1"));
        QCOMPARE(f.LBTail->count(), 12);
        QCOMPARE(f.LBTail->item(3)->text(), QStringLiteral("[XOR_8 (0..n)]"));
        QCOMPARE(f.LBTail->item(8)->text(), QStringLiteral("[FF - SUM_8(2..n)]"));
        QCOMPARE(f.LBTail->item(9)->text(), QStringLiteral("[CRC16_MODBUS(0..n)]"));
        QCOMPARE(f.PeriodTX->maxLength(), 5);
        QCOMPARE(f.FiltrLog->maxLength(), 250);
        QCOMPARE(f.ListNameEDT->maxLength(), 150);
        QCOMPARE(f.CmdEdits[1]->maxLength(), 50);
    }

    void fontsAndColours() {
        TForm1& f = *fx.form;
        QCOMPARE(f.StartStop->font().pixelSize(), 32);
        QVERIFY(f.StartStop->font().bold());
        QCOMPARE(f.STListName->font().pixelSize(), 24);
        QCOMPARE(f.CBLists->font().pixelSize(), 20);
        QCOMPARE(Background(f.HelpTexts[5]), QColor(255, 251, 240));
        QCOMPARE(Background(f.StaticText1), QColor(255, 255, 0));
        QCOMPARE(Background(f.MainWindow), BtnFaceColor());
        QCOMPARE(Background(f.MainStrCmd), BtnFaceColor());
        QCOMPARE(Background(f.LBTail), BtnFaceColor());
        QCOMPARE(f.MainWindow->font().pointSize(), 8);
        QCOMPARE(f.st.shell.LogFontSize, 8);
        QCOMPARE(f.Str1->text(), QString(QChar(0x2193)));
        QCOMPARE(f.Str2->text(), QString(QChar(0x2193)));
    }
};

QTEST_MAIN(TestFormDesign)
#include "test_form_design.moc"
