#include "serial/qt_serial_device.h"

#include "serial/modem_watch.h"
#include "serial/serial_intake.h"
#include "serial/serial_platform.h"

#include <QSerialPort>

#include <algorithm>
#include <chrono>
#include <limits>
#include <utility>

namespace trelvo {

namespace serial_platform {

SerialErrorKind KindOf(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::NoError:
        return SerialErrorKind::None;
    case QSerialPort::UnsupportedOperationError:
        return SerialErrorKind::Unsupported;
    default:
        return SerialErrorKind::System;
    }
}

} // namespace serial_platform

namespace {

// At most this many reads from the system per bytesWaiting() call; each takes what is there, none waits.
constexpr int kMaxPullsPerCall = 16;

// Fewer bytes than this in Qt's buffer after a read notification: the read emptied the system's queue, which
// fills a line buffer of 4 KiB before it holds any back.
constexpr qint64 kDrainedBelow = 1024;

// How long a line found idle counts as idle.
constexpr auto kIdleFor = std::chrono::microseconds(250);

bool IdleRecently(std::chrono::steady_clock::time_point at) {
    return std::chrono::steady_clock::now() - at < kIdleFor;
}

} // namespace

QtSerialDevice::QtSerialDevice() : port_(std::make_unique<QSerialPort>()) {
    // A device that went away stays readable and reads nothing, so Qt's read notifier would fire without end
    // until the next probe. Queued: the port is not closed inside its own read handler.
    QObject::connect(
        port_.get(), &QSerialPort::errorOccurred, port_.get(),
        [this](QSerialPort::SerialPortError error) {
            if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError ||
                error == QSerialPort::WriteError)
                releaseIfGone();
        },
        Qt::QueuedConnection);
    // Queued, so that the listener is never told from inside a call on this port (a read may complete a write).
    // The count waiting to be told falls in the same step, so the port reports nothing left to write exactly when
    // the listener hears of the last bytes.
    QObject::connect(
        port_.get(), &QSerialPort::bytesWritten, port_.get(),
        [this](qint64 count) {
            const std::uint64_t n =
                std::min<std::uint64_t>(static_cast<std::uint64_t>(std::max<qint64>(count, 0)), toReport_);
            toReport_ -= n;
            if (written_ && n > 0) written_(n);
        },
        Qt::QueuedConnection);
    QObject::connect(port_.get(), &QSerialPort::readyRead, port_.get(), [this] {
        // Qt has just read from the system. A read that took far less than the system's line buffer holds took
        // everything there was: the line counts as idle, as after a look that found nothing, and the receive tick
        // this notification runs asks the system no second time.
        if (port_->bytesAvailable() < kDrainedBelow) idleAt_ = std::chrono::steady_clock::now();
        if (readNotify_) readNotify_();
    });
}

QtSerialDevice::~QtSerialDevice() {
    close();
}

bool QtSerialDevice::isOpen() const {
    return port_->isOpen();
}

bool QtSerialDevice::fail(SerialErrorKind kind, std::string text) {
    errorKind_ = kind;
    errorText_ = std::move(text);
    return false;
}

bool QtSerialDevice::failFromPort() {
    const SerialErrorKind kind = serial_platform::KindOf(port_->error());
    return fail(kind == SerialErrorKind::None ? SerialErrorKind::System : kind, port_->errorString().toStdString());
}

bool QtSerialDevice::releaseIfGone(bool* input) {
    if (!port_->isOpen()) return false;
    const serial_platform::Outcome present = serial_platform::CheckPresent(*port_, input);
    if (present.ok()) return false;
    closePort();
    toReport_ = 0;
    gone_ = true;
    goneReason_ = present.text;
    fail(present.kind, goneReason_);
    return true;
}

bool QtSerialDevice::open(const std::string& name) {
    errorKind_ = SerialErrorKind::None;
    errorText_.clear();
    gone_ = false;
    hasLines_ = false;
    applied_.reset();
    toReport_ = 0;
    if (name.empty()) return fail(SerialErrorKind::BadArgument, "Не указано имя порта");
    if (port_->isOpen()) return fail(SerialErrorKind::BadArgument, "Порт уже открыт");

    port_->setPortName(QString::fromStdString(name));
    port_->setReadBufferSize(kReadBufferBytes);
    // The intake's own descriptor comes first: once open, the port is locked against any further open. The port
    // then only writes, so that it never competes with the intake for the received bytes.
    if (arrivalClock_) intake_ = OpenSerialIntake(name, *arrivalClock_);
    if (intake_) intake_->setPatience(patienceMs_);
    if (!port_->open(intake_ ? QIODevice::WriteOnly : QIODevice::ReadWrite)) {
        intake_.reset();
        return failFromPort();
    }

    const serial_platform::Outcome after = serial_platform::AfterOpen(*port_);
    if (!after.ok()) {
        closePort();
        return fail(after.kind, after.text);
    }
    // Queued to the window's thread; the port object outlives every open, and a stale wake finds no intake.
    if (intake_) intake_->start([this] { QMetaObject::invokeMethod(port_.get(), [this] { intakeWoke(); }); });
    // A pseudo-terminal has no modem lines and refuses these; that is no reason to give up the port.
    port_->setDataTerminalReady(false);
    port_->setRequestToSend(false);
    port_->clearError();
    port_->pinoutSignals();
    hasLines_ = port_->error() == QSerialPort::NoError;
    port_->clearError();
    return true;
}

void QtSerialDevice::setQueueSizes(std::uint32_t inBytes, std::uint32_t) {
    inQueue_ = std::clamp<std::uint32_t>(inBytes, 1, static_cast<std::uint32_t>(kReadBufferBytes));
}

bool QtSerialDevice::applySettings(const PortDcb& dcb) {
    if (gone_) return fail(SerialErrorKind::System, goneReason_);
    if (!port_->isOpen()) return fail(SerialErrorKind::BadArgument, "Порт не открыт");
    if (dcb.BaudRate == 0) return fail(SerialErrorKind::BadArgument, "Скорость 0 бод");
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8)
        return fail(SerialErrorKind::BadArgument, "Недопустимое число бит данных: " + std::to_string(dcb.ByteSize));
    if (dcb.StopBits > 2) return fail(SerialErrorKind::BadArgument, "Неизвестное число стоп-бит");
    if (dcb.Parity > 4) return fail(SerialErrorKind::BadArgument, "Неизвестная чётность");
    // Flow control is RTS/CTS (CTS watched, RTS handshaking) or XON/XOFF both ways, or none.
    const bool hardware = dcb.fOutxCtsFlow == 1 && dcb.fRtsControl == kRtsHandshake;
    const bool software = dcb.fOutX == 1 && dcb.fInX == 1;
    const bool noFlow = !dcb.fOutxCtsFlow && !dcb.fRtsControl && !dcb.fOutX && !dcb.fInX;
    if (dcb.fParity || dcb.fOutxDsrFlow || dcb.fDtrControl || dcb.fDsrSensitivity || dcb.fErrorChar || dcb.fNull ||
        dcb.fAbortOnError ||
        !(noFlow || (hardware && !dcb.fOutX && !dcb.fInX) || (software && !dcb.fOutxCtsFlow && !dcb.fRtsControl)))
        return fail(SerialErrorKind::Unsupported, "Такие параметры линии не поддерживаются");

    const bool fresh = !applied_ || !(*applied_ == dcb);
    const serial_platform::Outcome outcome = serial_platform::ApplyLineSettings(*port_, dcb, fresh);
    if (!outcome.ok()) {
        applied_.reset();
        return fail(outcome.kind, outcome.text);
    }
    applied_ = dcb;
    return true;
}

void QtSerialDevice::closePort() {
    modemWatch_.reset(); // the threads end before their descriptors close
    intake_.reset();
    if (port_->isOpen()) port_->close();
}

void QtSerialDevice::intakeWoke() {
    if (!intake_) return;
    intake_->notified();
    if (readNotify_) readNotify_();
}

void QtSerialDevice::setArrivalPatience(int ms) {
    patienceMs_ = ms;
    if (intake_) intake_->setPatience(ms);
}

std::optional<std::int64_t> QtSerialDevice::nextArrivalMs() {
    if (!intake_) return std::nullopt;
    return intake_->nextArrivalMs();
}

std::uint32_t QtSerialDevice::bytesWaiting() {
    if (!port_->isOpen()) return 0;
    if (intake_) {
        const std::uint32_t n = intake_->waiting();
        // What the device sent before it went away is read first.
        if (n == 0 && intake_->hungUp()) releaseIfGone();
        return n;
    }
    // With a queue's worth already taken from the system, neither the system nor the hang-up check is asked: in a
    // flood this is called for every buffer, and each poll of a pseudo-terminal waits for its kernel worker.
    // Nor when a look found the line idle a moment ago: a look now could only find bytes that arrived since, and the
    // next receive tick, a millisecond on at the soonest, finds those as well. The window, the tick and the
    // after-answer step each ask once per packet; each look is a poll. (A line that had input at the last look is
    // looked at every time: in a flood the system refills within microseconds.)
    if (port_->bytesAvailable() < inQueue_ && !IdleRecently(idleAt_)) {
        bool input = true;
        if (releaseIfGone(&input)) return 0;
        if (!input) idleAt_ = std::chrono::steady_clock::now();
        // The event loop may not have run since the bytes arrived: take what the system holds, without waiting.
        // Only while it holds something: a pull that finds nothing sets and clears an error, and each of those
        // changes is a queued signal the event loop has to handle.
        for (int pull = 0; input && pull < kMaxPullsPerCall && port_->bytesAvailable() < inQueue_; ++pull) {
            if (!port_->waitForReadyRead(0)) break;
            if (!serial_platform::CheckPresent(*port_, &input).ok()) break; // told at the next call
        }
        if (port_->error() == QSerialPort::TimeoutError) port_->clearError();
    }
    return static_cast<std::uint32_t>(
        std::min<qint64>(port_->bytesAvailable(), std::numeric_limits<std::uint32_t>::max()));
}

std::uint32_t QtSerialDevice::read(char* buffer, std::uint32_t maxBytes) {
    if (!port_->isOpen() || maxBytes == 0) return 0;
    if (intake_) return intake_->read(buffer, maxBytes);
    const qint64 n = port_->read(buffer, maxBytes);
    return n > 0 ? static_cast<std::uint32_t>(n) : 0;
}

std::uint32_t QtSerialDevice::write(const char* data, std::uint32_t count) {
    if (!port_->isOpen()) {
        if (gone_)
            fail(SerialErrorKind::System, goneReason_);
        else
            fail(SerialErrorKind::BadArgument, "Порт не открыт");
        return 0;
    }
    const qint64 taken = port_->write(data, count);
    if (taken < 0) {
        failFromPort();
        return 0;
    }
    toReport_ += static_cast<std::uint64_t>(taken);
    // What the driver takes at once leaves now, not at the next turn of the event loop; the rest drains from
    // the write notifications. flush() never blocks.
    port_->flush();
    return static_cast<std::uint32_t>(taken);
}

std::uint64_t QtSerialDevice::bytesToWrite() {
    return port_->isOpen() ? toReport_ : 0;
}

void QtSerialDevice::setBytesWrittenListener(std::function<void(std::uint64_t)> written) {
    written_ = std::move(written);
}

void QtSerialDevice::purgeInput() {
    if (!port_->isOpen()) return;
    if (intake_) intake_->clear();
    port_->clear(QSerialPort::Input);
    port_->clearError();
}

void QtSerialDevice::purgeOutput() {
    if (!port_->isOpen()) return;
    port_->clear(QSerialPort::Output);
    port_->clearError();
    toReport_ = 0; // a report of bytes written before the clear still on its way tells nothing more
}

void QtSerialDevice::purge() {
    if (!port_->isOpen()) return;
    if (intake_) intake_->clear();
    port_->clear(QSerialPort::AllDirections);
    port_->clearError();
    toReport_ = 0;
}

bool QtSerialDevice::setReadNotify(std::function<void()> notify) {
    readNotify_ = std::move(notify);
    return true;
}

bool QtSerialDevice::hasControlLines() {
    return port_->isOpen() && hasLines_;
}

bool QtSerialDevice::setControlLine(ControlLine line, bool on) {
    if (!hasControlLines()) return fail(SerialErrorKind::Unsupported, "У порта нет линий управления");
    const bool ok = line == kDtr ? port_->setDataTerminalReady(on) : port_->setRequestToSend(on);
    if (!ok) return failFromPort();
    return true;
}

std::optional<unsigned> QtSerialDevice::controlLines() {
    if (!hasControlLines()) return std::nullopt;
    const QSerialPort::PinoutSignals s = port_->pinoutSignals();
    if (port_->error() != QSerialPort::NoError) {
        failFromPort();
        port_->clearError();
        return std::nullopt;
    }
    unsigned lines = 0;
    if (s & QSerialPort::DataTerminalReadySignal) lines |= kDtr;
    if (s & QSerialPort::RequestToSendSignal) lines |= kRts;
    if (s & QSerialPort::ClearToSendSignal) lines |= kCts;
    if (s & QSerialPort::DataSetReadySignal) lines |= kDsr;
    if (s & QSerialPort::DataCarrierDetectSignal) lines |= kDcd;
    if (s & QSerialPort::RingIndicatorSignal) lines |= kRi;
    return lines;
}

bool QtSerialDevice::setControlLinesNotify(std::function<void()> notify) {
    modemWatch_.reset();
    if (!notify || !hasControlLines()) return false;
    modemWatch_ = ModemWatch::Start(*port_, std::move(notify));
    return modemWatch_ != nullptr;
}

bool QtSerialDevice::setBreak(bool on) {
    if (!hasControlLines()) return fail(SerialErrorKind::Unsupported, "У порта нет линий управления");
    if (!port_->setBreakEnabled(on)) return failFromPort();
    return true;
}

void QtSerialDevice::close() {
    closePort();
    hasLines_ = false;
    applied_.reset();
    gone_ = false;
    toReport_ = 0;
}

} // namespace trelvo
