#include "transmit/raw_file_send.h"

#include "common/safe_file.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace trelvo {

namespace {

std::string Count(std::uint64_t n) {
    return std::to_string(n) + " байт";
}

Bytes Entry(const std::string& utf8) {
    return ToCp1251(QString::fromStdString(utf8));
}

} // namespace

RawFileSend::RawFileSend(SerialDevice& port, TransferCounters& counters) : port_(port), counters_(counters) {}

RawFileSend::~RawFileSend() = default;

std::string RawFileSend::sentOfTotal() const {
    return std::to_string(sent_) + " из " + Count(total_);
}

RawSendStep RawFileSend::start(const std::string& file, std::int64_t nowMs) {
    if (running_) return {};
    const QString path = QFile::decodeName(QByteArray::fromStdString(file));
    name_ = QFileInfo(path).fileName().toStdString();
    total_ = handed_ = sent_ = 0;
    rateFrom_ = rateNext_ = Mark{nowMs, 0};
    const auto notOpened = [this](const std::string& why) {
        return RawSendStep{RawSendEnd::NotOpened, {}, "Не удалось открыть файл " + name_ + ": " + why};
    };
    // A named pipe would hold the window up while it opens, and a device never ends.
    if (const std::string why = NotRegularFileReason(path.toStdU16String()); !why.empty()) return notOpened(why);
    file_ = std::make_unique<QFile>(path);
    if (!file_->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        const std::string why = file_->errorString().toStdString();
        file_.reset();
        return notOpened(why);
    }
    total_ = static_cast<std::uint64_t>(std::max<qint64>(file_->size(), 0));
    buffer_.resize(kChunkBytes);
    running_ = true;
    return pump();
}

void RawFileSend::count(std::uint64_t bytes) {
    sent_ += bytes;
    counters_.TxBytes += static_cast<std::int64_t>(bytes);
}

RawSendStep RawFileSend::pump() {
    while (handed_ < total_) {
        const auto want = static_cast<qint64>(std::min<std::uint64_t>(kChunkBytes, total_ - handed_));
        if (handed_ - sent_ + static_cast<std::uint64_t>(want) > kMaxWaitingBytes) break;
        const qint64 got = file_->read(buffer_.data(), want);
        if (got < 0)
            return finish(RawSendEnd::ReadFailed, "Не удалось прочитать файл " + name_ + ": " +
                                                      file_->errorString().toStdString() + ". Отправлено " +
                                                      sentOfTotal() + ".");
        if (got == 0) { // the file has become shorter since it was chosen: what it holds is all there is
            total_ = handed_;
            break;
        }
        const std::uint64_t waitingBefore = port_.bytesToWrite();
        const std::uint32_t took = port_.write(buffer_.data(), static_cast<std::uint32_t>(got));
        const std::uint64_t waitingAfter = port_.bytesToWrite();
        handed_ += took;
        // What the port wrote at once counts now, the rest as it reports it.
        const std::uint64_t waiting = waitingAfter > waitingBefore ? waitingAfter - waitingBefore : 0;
        count(took - std::min<std::uint64_t>(waiting, took));
        if (took < static_cast<std::uint64_t>(got)) {
            const std::string why = port_.lastErrorText();
            return finish(RawSendEnd::PortClosed, "Отправка файла " + name_ + " прервана: порт не принял данные" +
                                                      (why.empty() ? "" : " (" + why + ")") + ". Отправлено " +
                                                      sentOfTotal() + ".");
        }
    }
    if (sent_ >= total_) return finish(RawSendEnd::Sent);
    return {};
}

RawSendStep RawFileSend::written(std::uint64_t count, std::int64_t nowMs) {
    if (!running_) return {};
    this->count(std::min(count, handed_ - sent_));
    moveRateWindow(nowMs);
    return pump();
}

RawSendStep RawFileSend::cancel() {
    if (!running_) return {};
    port_.purgeOutput(); // the line stops now, not after the chunks still waiting
    return finish(RawSendEnd::Cancelled);
}

RawSendStep RawFileSend::checkPort(bool portOpen) {
    if (!running_ || (portOpen && port_.bytesToWrite() >= handed_ - sent_)) return {};
    return finish(RawSendEnd::PortClosed,
                  "Отправка файла " + name_ + " прервана: порт закрыт. Отправлено " + sentOfTotal() + ".");
}

RawSendStep RawFileSend::finish(RawSendEnd end, std::string message) {
    running_ = false;
    file_.reset();
    buffer_.clear();
    buffer_.shrink_to_fit();
    RawSendStep step{end, {}, std::move(message)};
    switch (end) {
    case RawSendEnd::Sent:
        step.entry = Entry("Файл " + name_ + " (" + Count(total_) + ") отправлен");
        break;
    case RawSendEnd::Cancelled:
        step.entry = Entry("Отправка файла " + name_ + " отменена после " + sentOfTotal());
        break;
    default:
        step.entry = Entry("Отправка файла " + name_ + " прервана после " + sentOfTotal());
        break;
    }
    return step;
}

void RawFileSend::moveRateWindow(std::int64_t nowMs) {
    if (nowMs - rateNext_.ms < kRateWindowMs) return;
    rateFrom_ = rateNext_;
    rateNext_ = Mark{nowMs, sent_};
}

RawSendProgress RawFileSend::progress(std::int64_t nowMs) {
    moveRateWindow(nowMs);
    RawSendProgress p{sent_, total_, std::nullopt, std::nullopt};
    const std::int64_t span = nowMs - rateFrom_.ms;
    if (span < kRateFirstMs) return p;
    const double rate = static_cast<double>(sent_ - rateFrom_.sent) * 1000.0 / static_cast<double>(span);
    p.bytesPerSecond = rate;
    if (rate > 0) p.secondsLeft = static_cast<std::int64_t>(std::ceil(static_cast<double>(total_ - sent_) / rate));
    return p;
}

namespace {

// Binary units, one decimal with a comma: "512 байт", "1,5 КБ", "100,0 МБ", "2,3 ГБ".
std::string Size(double bytes, const char* perSecond = "") {
    static const char* const kUnits[] = {"КБ", "МБ", "ГБ", "ТБ"};
    char text[48];
    if (bytes < 1024) {
        std::snprintf(text, sizeof text, "%.0f %s%s", bytes, *perSecond ? "Б" : "байт", perSecond);
        return text;
    }
    int unit = 0;
    bytes /= 1024;
    while (bytes >= 1024 && unit < 3) {
        bytes /= 1024;
        ++unit;
    }
    std::snprintf(text, sizeof text, "%.1f %s%s", bytes, kUnits[unit], perSecond);
    std::string s = text;
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

} // namespace

RawSendTexts DescribeProgress(const RawSendProgress& p) {
    RawSendTexts t;
    const std::uint64_t percent = p.total == 0 ? 100 : p.sent * 100 / p.total;
    t.amount = Size(static_cast<double>(p.sent)) + " из " + Size(static_cast<double>(p.total)) + " (" +
               std::to_string(percent) + " %)";
    t.rate = p.bytesPerSecond ? Size(*p.bytesPerSecond, "/с") : "—";
    if (p.secondsLeft) {
        const std::int64_t s = *p.secondsLeft;
        char text[32];
        if (s >= 3600)
            std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                          static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
        else
            std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(s / 60),
                          static_cast<long long>(s % 60));
        t.left = text;
    } else {
        t.left = "—";
    }
    return t;
}

} // namespace trelvo
