#include "common/safe_file.h"

#include "common/safe_file_platform.h"

#include <QFile>
#include <QTemporaryFile>

#include <cstdio>

namespace trelvo {

namespace fs = std::filesystem;

namespace {

FileResult Fail(std::string reason) {
    return FileResult{false, std::move(reason)};
}
std::string Reason(const QFileDevice& f) {
    return f.errorString().toStdString();
}
QString QtPath(const fs::path& p) {
    return QString::fromStdU16String(p.u16string());
}

// Follows symbolic links to the name that is finally written; a dangling link yields its missing target.
fs::path ResolveLinks(fs::path p, std::error_code& ec) {
    for (int depth = 0; depth < 40; ++depth) {
        const fs::file_status st = fs::symlink_status(p, ec);
        if (ec || !fs::is_symlink(st)) {
            if (st.type() == fs::file_type::not_found) ec.clear();
            return p;
        }
        const fs::path target = fs::read_symlink(p, ec);
        if (ec) return p;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return p;
}

std::string TypeReason(fs::file_type type) {
    switch (type) {
    case fs::file_type::regular:
    case fs::file_type::not_found:
        return {};
    case fs::file_type::directory:
        return "это каталог, а не файл";
    case fs::file_type::fifo:
        return "это именованный канал, а не файл";
    case fs::file_type::socket:
        return "это сокет, а не файл";
    case fs::file_type::block:
    case fs::file_type::character:
        return "это устройство, а не файл";
    default:
        return "это не обычный файл";
    }
}

// Unbuffered, so that every write reaches the system and a short one can be retried for its reason.
class UnbufferedTemporaryFile : public QTemporaryFile {
public:
    using QTemporaryFile::QTemporaryFile;
    bool openUnbuffered() { return QTemporaryFile::open(QIODevice::ReadWrite | QIODevice::Unbuffered); }
};

// The temporary file of a write is named after the file it replaces: "<name>" + this, the X's chosen at random.
constexpr const char* kTemporarySuffix = ".XXXXXX.tmp";

std::string Utf8Name(const fs::path& p) {
    const std::u8string name = p.filename().u8string();
    return std::string(name.begin(), name.end());
}

bool IsOurTemporaryName(std::string_view name, std::string_view base) {
    constexpr std::size_t kRandom = 6;
    const std::string_view tail = ".tmp";
    if (name.size() != base.size() + 1 + kRandom + tail.size() || !name.starts_with(base) || name[base.size()] != '.' ||
        !name.ends_with(tail))
        return false;
    for (const char c : name.substr(base.size() + 1, kRandom))
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

} // namespace

int RemoveStaleTemporaryFiles(const fs::path& file) {
    std::error_code ec;
    const fs::path target = ResolveLinks(file, ec);
    if (ec) return 0;
    const fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const std::string base = Utf8Name(target);
    int removed = 0;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!IsOurTemporaryName(Utf8Name(it->path()), base)) continue;
        // Only regular files: a link or a directory of that name is not something a write left.
        if (!fs::is_regular_file(it->symlink_status(ec)) || ec) {
            ec.clear();
            continue;
        }
        if (platform::RemoveUnlessWriting(it->path())) ++removed;
    }
    return removed;
}

std::string NotRegularFileReason(const fs::path& file) {
    std::error_code ec;
    const fs::file_status st = fs::status(file, ec);
    if (ec && st.type() != fs::file_type::not_found) return ec.message();
    return TypeReason(st.type());
}

FileResult WriteFileSafely(const fs::path& file, std::string_view bytes) {
    std::error_code ec;
    const fs::path target = ResolveLinks(file, ec);
    if (ec) return Fail(ec.message());
    const fs::file_status st = fs::status(target, ec);
    const bool exists = st.type() != fs::file_type::not_found;
    if (ec && exists) return Fail(ec.message());
    if (std::string why = TypeReason(st.type()); !why.empty()) return Fail(why);
    if (exists) {
        // A file the user may not write stays as it is, although the rename could replace it.
        QFile probe(target);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) return Fail(Reason(probe));
    }

    UnbufferedTemporaryFile tmp(QtPath(target.parent_path() / target.filename()) + QLatin1String(kTemporarySuffix));
    if (!tmp.openUnbuffered()) return Fail(Reason(tmp));
    platform::MarkWriting(tmp); // a start-up's clean-up of stale temporary files leaves this one alone
    const fs::path tmpPath(tmp.fileName().toStdU16String());
    auto failRemoving = [&tmp](std::string reason) {
        tmp.close();
        tmp.remove();
        return Fail(std::move(reason));
    };
    // A write that falls short is tried again for the rest, so that the failing one gives the system's reason.
    for (std::size_t done = 0; done < bytes.size();) {
        const qint64 n = tmp.write(bytes.data() + done, static_cast<qint64>(bytes.size() - done));
        if (n <= 0) return failRemoving(Reason(tmp));
        done += static_cast<std::size_t>(n);
    }
    if (!tmp.flush()) return failRemoving(Reason(tmp));
    std::string reason;
    if (!platform::SyncFileToDisk(tmp, reason)) return failRemoving(reason);
    tmp.close();
    if (tmp.error() != QFileDevice::NoError) return failRemoving(Reason(tmp));
    fs::permissions(tmpPath, exists ? st.permissions() : platform::NewFilePermissions(), ec);
    if (ec) return failRemoving(ec.message());
    fs::rename(tmpPath, target, ec);
    if (ec) return failRemoving(ec.message());
    tmp.setAutoRemove(false);
    platform::SyncDirectory(target.parent_path());
    return {};
}

KeptFile KeepDamagedCopy(const fs::path& file, const LocalTime& t) {
    KeptFile kept;
    auto fail = [&kept](const QFileDevice& f) {
        kept.ok = false;
        kept.reason = Reason(f);
        return kept;
    };
    QFile src(file);
    if (!src.open(QIODevice::ReadOnly)) return fail(src);
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, ".bad-%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    for (int n = 1; n < 1000; ++n) {
        fs::path copy = file;
        copy += stamp;
        if (n > 1) copy += "-" + std::to_string(n);
        QFile dst(copy);
        if (!dst.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            std::error_code ec;
            if (fs::exists(fs::symlink_status(copy, ec))) continue;
            return fail(dst);
        }
        std::string reason;
        bool good = true;
        while (good && !src.atEnd()) {
            const QByteArray chunk = src.read(1 << 20);
            if (src.error() != QFileDevice::NoError) {
                reason = Reason(src);
                good = false;
            } else if (dst.write(chunk) != chunk.size()) {
                reason = Reason(dst);
                good = false;
            }
        }
        if (good && !dst.flush()) {
            reason = Reason(dst);
            good = false;
        }
        if (good) good = platform::SyncFileToDisk(dst, reason);
        dst.close();
        if (!good) {
            dst.remove();
            kept.ok = false;
            kept.reason = reason;
            return kept;
        }
        kept.copy = copy;
        return kept;
    }
    kept.ok = false;
    kept.reason = std::make_error_code(std::errc::file_exists).message();
    return kept;
}

std::string FailureText(const char* what, const fs::path& file, const std::string& reason) {
    std::string text = what;
    if (const std::size_t at = text.find('%'); at != std::string::npos) text.replace(at, 1, file.filename().string());
    return text + "\nПричина: " + reason;
}

std::string KeptCopyNote(const KeptFile& kept) {
    if (kept.ok) return "Прежний файл сохранён как " + kept.copy.filename().string();
    return "Копию прежнего файла сохранить не удалось (" + kept.reason + "), поэтому он не будет перезаписан";
}

} // namespace trelvo
