// Connect, Disconnect, the once-a-second watch and the port list as the main window shows them, over test doubles.

#include "serial/line_bar.h"
#include "serial/port_box.h"
#include "support/form_fixture.h"

#include <QAbstractItemView>

using namespace trelvo;
using namespace trelvo::test;

namespace {

const char* const kPort = "/dev/ttyUSB0";
const char* const kOpenFailed = "Что-то не открывается порт. Программа может работать только с COM1..COM9.";

QColor StandardColour(const QWidget* w) {
    return QApplication::palette(w).color(QPalette::Base);
}

QColor Colour(const QString& name, const QWidget* w) {
    if (name == "lime") return colors::Lime;
    if (name == "red") return colors::Red;
    if (name == "yellow") return colors::Yellow;
    return StandardColour(w);
}

QStringList Messages(const RecordingDialogs& d) {
    QStringList out;
    for (const std::string& m : d.messages)
        out << QString::fromStdString(m);
    return out;
}

int Opens(const FakeSerialDevice& s) {
    return int(
        std::count_if(s.log.begin(), s.log.end(), [](const std::string& e) { return e.rfind("open ", 0) == 0; }));
}

QStringList Entries(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

} // namespace

class TestFormConnection : public QObject {
    Q_OBJECT
private slots:
    void startsDisconnected() {
        FormFixture fx;
        TForm1& f = *fx.form;
        QCOMPARE(f.BTConnect->text(), QStringLiteral("Connect"));
        QCOMPARE(TForm1::Tag(f.BTConnect), 0);
        QCOMPARE(Background(f.ComPort), StandardColour(f.ComPort));
        QVERIFY(!f.AutoConnect->isChecked());
        QVERIFY(!f.SendAsReconn->isChecked());
        QVERIFY(f.CheckConnect->interval() == 1000);
    }

    // Each row is a story told in steps; the view the window ends in is compared with the state table.
    //   click      press BTConnect (the button must be enabled again afterwards)
    //   tick       one CheckConnect tick
    //   gone       the device goes away (the open handle fails, the name no longer opens)
    //   back       the device is there again
    //   refuse     the name no longer opens
    //   auto, send          tick AutoConnect, tick SendAsReconn
    //   noport/nobaud       nothing selected in ComPort / BaudRate
    void connectionStates_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("opens");
        QTest::addColumn<int>("sleptMs");
        QTest::addColumn<QByteArray>("written");

        const QString fail = QString::fromUtf8(kOpenFailed);
        const auto row = [](const char* name, QString steps, const char* caption, const char* colour,
                            QStringList messages, int opens, int sleptMs, QByteArray written = {}) {
            QTest::newRow(name) << steps.split(u' ') << caption << colour << messages << opens << sleptMs << written;
        };
        const char *on = "Disconnect", *off = "Connect";
        row("connect", "click", on, "lime", {}, 1, 5);
        row("connect, disconnect", "click click", off, "standard", {}, 1, 5);
        row("connect sends when SendAsReconn", "send click", on, "lime", {}, 1, 5, "AT\r");
        row("port will not open", "refuse click", off, "standard", {fail}, 1, 5);
        row("no port selected", "noport send click", off, "standard", {"Выбери порт!"}, 0, 5);
        row("no baud rate selected", "nobaud click", off, "standard", {fail + "\nНе выбрана скорость (BaudRate)."}, 0,
            0);
        row("healthy port stays lime", "click tick tick", on, "lime", {}, 1, 5);
        row("lost", "click gone tick", on, "red", {}, 1, 5);
        row("lost, disconnect, connect", "click gone tick click back click", on, "lime", {}, 2, 10);
        row("lost with AutoConnect waits yellow, silently", "auto click gone tick tick", on, "yellow", {}, 3, 15);
        row("reopened after the pause", "auto click gone tick back tick", on, "lime", {}, 3, 15 + 2000);
        row("AutoConnect after a disconnect tries no open", "auto click click tick", off, "standard", {}, 1, 5);
        row("reopened, then the send", "auto click send gone tick back tick", on, "lime", {}, 3, 15 + 2000, "AT\r");
    }
    void connectionStates() {
        QFETCH(QStringList, steps);
        QFETCH(QString, caption);
        QFETCH(QString, colour);
        QFETCH(QStringList, messages);
        QFETCH(int, opens);
        QFETCH(int, sleptMs);
        QFETCH(QByteArray, written);
        FormFixture fx(false);
        fx.ports.names = {kPort};
        fx.build();
        TForm1& f = *fx.form;
        f.MainStrCmd->setText(QStringLiteral("AT"));
        fx.serial.log.clear();

        for (const QString& step : steps) {
            if (step == "click") {
                f.BTConnect->click();
                QVERIFY2(f.BTConnect->isEnabled(), "the Connect button is given back after every click");
            } else if (step == "tick") {
                f.CheckConnectTimer();
            } else if (step == "gone") {
                fx.serial.gone = true;
                fx.serial.present.clear();
            } else if (step == "back") {
                fx.serial.present = {kPort};
            } else if (step == "refuse") {
                fx.serial.present.clear();
            } else if (step == "auto") {
                f.AutoConnect->setChecked(true);
            } else if (step == "send") {
                f.SendAsReconn->setChecked(true);
            } else if (step == "noport") {
                f.ComPort->setCurrentIndex(-1);
            } else if (step == "nobaud") {
                f.BaudRate->setCurrentIndex(-1);
            } else {
                QFAIL(qPrintable("unknown step " + step));
            }
        }

        const bool connected = caption == "Disconnect";
        QCOMPARE(f.BTConnect->text(), caption);
        QCOMPARE(TForm1::Tag(f.BTConnect), connected ? 1 : 0);
        for (QWidget* w :
             {static_cast<QWidget*>(f.ComPort), static_cast<QWidget*>(f.BaudRate), static_cast<QWidget*>(f.BTRescan),
              static_cast<QWidget*>(f.ComBits), static_cast<QWidget*>(f.ComStopBits)})
            QVERIFY2(w->isEnabled() == !connected, qPrintable(w->objectName()));
        QCOMPARE(Background(f.ComPort), Colour(colour, f.ComPort));
        QCOMPARE(f.st.port.PortOpen, colour == "lime");
        QCOMPARE(Messages(fx.dialogs), messages);
        QCOMPARE(Opens(fx.serial), opens);
        QCOMPARE(int(fx.clock.sleptMs), sleptMs);
        QCOMPARE(QByteArray::fromStdString(fx.serial.written), written);
        QCOMPARE(fx.dialogs.openPortErrorShown, 0);
        // a send finds the error window exactly when the port is not open (lost included), and nothing goes out
        f.ButtonSend->click();
        QCOMPARE(fx.dialogs.openPortErrorShown, f.st.port.PortOpen ? 0 : 1);
        QCOMPARE(fx.serial.written.size(), written.size() + (f.st.port.PortOpen ? 3 : 0));
    }

    // A connect opens the selected entry with the settings of the three boxes.
    void connectUsesTheSelectedEntries() {
        FormFixture fx(false);
        fx.ports.names = {"/dev/ttyS0", kPort};
        fx.build();
        TForm1& f = *fx.form;
        f.ComPort->setCurrentIndex(1);
        f.BaudRate->setCurrentText(QStringLiteral("115200"));
        f.ComBits->setCurrentText(QStringLiteral("7"));
        f.ComStopBits->setCurrentText(QStringLiteral("2"));
        f.BTConnect->click();
        QCOMPARE(QString::fromStdString(fx.serial.openedName), QString::fromLatin1(kPort));
        QCOMPARE(fx.serial.lastDcb.BaudRate, 115200u);
        QCOMPARE(int(fx.serial.lastDcb.ByteSize), 7);
        QCOMPARE(int(fx.serial.lastDcb.StopBits), 2);
    }

    // The narrow box shows a device path without "/dev/", its list is wide enough for every entry with what the
    // platform says of it, and the full name is opened; a name typed into the box is opened as typed.
    void portBoxShowsShortNamesOpensFullNamesAndTypedNames() {
        FormFixture fx(false);
        const std::string byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
        fx.ports.names = {kPort, byId};
        fx.ports.descriptions[kPort] = "FT232R USB UART";
        fx.serial.present = {byId, "/tmp/ttyV0"};
        fx.build();
        auto& box = static_cast<PortBox&>(*fx.form->ComPort);
        QCOMPARE(box.currentText(), QStringLiteral("ttyUSB0"));
        QCOMPARE(box.listText(0), QStringLiteral("ttyUSB0  FT232R USB UART"));
        QVERIFY(box.view()->minimumWidth() > box.view()->fontMetrics().horizontalAdvance(box.listText(1)));

        box.setCurrentIndex(1);
        fx.form->BTConnect->click();
        QCOMPARE(fx.serial.openedName, byId);
        fx.form->BTConnect->click();

        box.clearEditText();
        QTest::keyClicks(box.lineEdit(), QStringLiteral("/tmp/ttyV0"));
        fx.form->BTConnect->click();
        QCOMPARE(fx.serial.openedName, std::string("/tmp/ttyV0"));
        QVERIFY(fx.dialogs.messages.empty());
    }

    // Connected, lost and reconnecting show as solid lime, red and yellow on the disabled box, the name in black.
    void portBoxColoursAreSolidOnTheDisabledBox() {
        FormFixture fx(false);
        fx.ports.names = {kPort};
        fx.build();
        QWidget* box = fx.form->ComPort;
        box->setEnabled(false);
        for (const QColor& colour : {colors::Lime, colors::Red, colors::Yellow}) {
            static_cast<PortBox*>(box)->setStateColour(colour);
            const QImage face = box->grab().toImage();
            int dark = 0, solid = 0, inner = 0;
            for (int x = 2; x < face.width() - 2; ++x)
                for (int y = 2; y < face.height() - 2; ++y, ++inner) {
                    const QColor pixel = face.pixelColor(x, y);
                    dark += pixel.lightness() < 80;
                    solid += pixel == colour;
                }
            QVERIFY2(solid > inner * 3 / 4, qPrintable(face.pixelColor(3, face.height() / 2).name()));
            QVERIFY2(dark > 20, "the name is drawn in black");
        }
    }

    void rescan_data() {
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QStringList>("messages");

        QStringList fallback;
        for (int i = 0; i <= 8; ++i)
            fallback << QStringLiteral("ttyS%1").arg(i);
        QTest::newRow("none found") << QStringList{} << fallback << -1
                                    << QStringList{":-(", "Запустите программу от имени администратора или выберите "
                                                          "порт вручную"};
        QTest::newRow("two found, in order")
            << QStringList{"/dev/ttyUSB1", "/dev/ttyACM0"} << QStringList{"ttyUSB1", "ttyACM0"} << 0 << QStringList{};
    }
    void rescan() {
        QFETCH(QStringList, found);
        QFETCH(QStringList, entries);
        QFETCH(int, selected);
        QFETCH(QStringList, messages);
        FormFixture fx(false);
        fx.ports.names = {kPort, "/dev/ttyV0"};
        fx.build();
        TForm1& f = *fx.form;
        QCOMPARE(f.ComPort->currentIndex(), 0);
        fx.ports.names.clear();
        for (const QString& name : found)
            fx.ports.names.push_back(name.toStdString());

        f.BTRescan->click();

        QCOMPARE(Entries(f.ComPort), entries); // the old entries are gone
        QCOMPARE(f.ComPort->currentIndex(), selected);
        if (selected < 0) QVERIFY(f.ComPort->currentText().isEmpty());
        QCOMPARE(Messages(fx.dialogs), messages);
        QCOMPARE(fx.ports.scans, 2);
    }

    void lineControlsFollowThePortAndTheirTimers() {
        FormFixture fx;
        TForm1& f = *fx.form;
        fx.serial.hasLines = true;
        LineBar* bar = f.LineStatus;
        QVERIFY(!bar->BTDTR->isEnabled());
        fx.connect();
        QVERIFY(bar->ModemTimer->isActive());
        QVERIFY(bar->BTDTR->isEnabled() && !bar->BTDTR->isOn());
        bar->BTDTR->click();
        QCOMPARE(fx.serial.lines, unsigned(kDtr));
        QVERIFY(bar->BTDTR->isOn());
        fx.serial.lines |= kCts;
        f.ModemTimerTimer();
        QVERIFY(bar->STCTS->isOn());

        bar->Popup->BTPulse->click(); // DTR by default, 100 ms
        QCOMPARE(fx.serial.lines & kDtr, 0u);
        QCOMPARE(bar->PulseTimer->interval(), 100);
        QVERIFY(!bar->Popup->BTPulse->isEnabled());
        f.PulseTimerTimer();
        QCOMPARE(fx.serial.lines & kDtr, unsigned(kDtr));
        bar->Popup->BTBreak->click();
        QVERIFY(fx.serial.breakOn);
        QCOMPARE(bar->BreakTimer->interval(), 250);
        f.BreakTimerTimer();
        QVERIFY(!fx.serial.breakOn);

        bar->Popup->CBFlow->setCurrentIndex(1);
        emit bar->Popup->CBFlow->activated(1);
        QVERIFY(!bar->BTRTS->isEnabled());
        QVERIFY(bar->BTRTS->toolTip().contains(QString::fromUtf8(kRtsByDriverHint)));
        fx.serial.refuses = [](const PortDcb& dcb) { return dcb.Parity != 0; };
        fx.serial.errorText = "Invalid argument";
        bar->Popup->CBParity->setCurrentIndex(1);
        emit bar->Popup->CBParity->activated(1);
        QCOMPARE(Messages(fx.dialogs).last(), QString::fromUtf8("Порт не принял параметры линии.\nInvalid argument"));
        QCOMPARE(bar->Popup->CBParity->currentIndex(), 0); // the choice shown is the one in force
        QCOMPARE(bar->BTLine->text(), QStringLiteral("8N1 RTS/CTS"));

        f.BTConnect->click();
        QVERIFY(!bar->ModemTimer->isActive());
        QVERIFY(!bar->BTDTR->isEnabled() && !bar->STCTS->isOn());

        // A port that tells changes of its lines: no timer, the lamps follow the telling.
        fx.serial.tellsLines = true;
        fx.connect();
        QVERIFY(!bar->ModemTimer->isActive());
        QVERIFY(fx.serial.linesNotify);
        fx.serial.lines |= kDsr;
        fx.serial.linesNotify();
        QVERIFY(bar->STDSR->isOn());
    }
};

QTEST_MAIN(TestFormConnection)
#include "test_form_connection.moc"
