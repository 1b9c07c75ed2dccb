#include "library/cmd_store.h"

#include "common/shortstring.h"

#include <array>
#include <cstddef>
#include <string>

namespace trelvo {

namespace {
inline std::size_t At(int n) {
    return static_cast<std::size_t>(n - 1);
}

std::int32_t DecodeSignature(const std::uint8_t* b) {
    const std::uint32_t v = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
                            std::uint32_t(b[3]) << 24;
    return static_cast<std::int32_t>(v);
}
} // namespace

Bytes TCmdListRec::listName() const {
    return GetShortString(ListName, kListNameCapacity);
}
void TCmdListRec::setListName(std::string_view text) {
    SetShortString(ListName, kListNameCapacity, text);
}
Bytes TCmdListRec::cmdLine(int cmd) const {
    return GetShortString(CmdLines[At(cmd)], kCmdLineCapacity);
}
void TCmdListRec::setCmdLine(int cmd, std::string_view text) {
    SetShortString(CmdLines[At(cmd)], kCmdLineCapacity, text);
}
Bytes TCmdListRec::cmdName(int cmd) const {
    return GetShortString(CmdNames[At(cmd)], kCmdNameCapacity);
}
void TCmdListRec::setCmdName(int cmd, std::string_view text) {
    SetShortString(CmdNames[At(cmd)], kCmdNameCapacity, text);
}
Bytes TCmdListRec::helpLine(int cmd, int line) const {
    return GetShortString(CmdHelp[At(cmd)][At(line)], kHelpLineCapacity);
}
void TCmdListRec::setHelpLine(int cmd, int line, std::string_view text) {
    SetShortString(CmdHelp[At(cmd)][At(line)], kHelpLineCapacity, text);
}

std::int32_t TCmdListRec::signature() const {
    return DecodeSignature(Signature);
}

void TCmdListRec::setSignature(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        Signature[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void TCmdListRec::clearTexts() {
    ListName[0] = 0;
    for (int k = 0; k < kCmdsPerList; ++k) {
        CmdLines[k][0] = 0;
        CmdNames[k][0] = 0;
        for (int j = 0; j < kHelpLinesPerCmd; ++j)
            CmdHelp[k][j][0] = 0;
    }
}

bool TCmdListRec::sameTexts(const TCmdListRec& o) const {
    if (!ShortStringsEqual(ListName, o.ListName, kListNameCapacity)) return false;
    for (int k = 0; k < kCmdsPerList; ++k)
        if (!ShortStringsEqual(CmdLines[k], o.CmdLines[k], kCmdLineCapacity)) return false;
    for (int k = 0; k < kCmdsPerList; ++k)
        if (!ShortStringsEqual(CmdNames[k], o.CmdNames[k], kCmdNameCapacity)) return false;
    for (int k = 0; k < kCmdsPerList; ++k)
        for (int j = 0; j < kHelpLinesPerCmd; ++j)
            if (!ShortStringsEqual(CmdHelp[k][j], o.CmdHelp[k][j], kHelpLineCapacity)) return false;
    return true;
}

CmdStore::CmdStore() : block_(kCmdConfigSize) {}

std::string_view CmdStore::image() const {
    return std::string_view(block_.data(), kCmdConfigSize);
}

Bytes CmdStore::GetListName(int list) const {
    if (!InRange(list)) return Bytes();
    std::uint8_t name[sizeof(TCmdListRec::ListName)];
    const std::size_t at = static_cast<std::size_t>(list - 1) * kCmdListRecSize + offsetof(TCmdListRec, ListName);
    if (!block_.readQuietly(at, name, sizeof name)) return this->list(list).listName();
    return GetShortString(name, kListNameCapacity);
}

std::int32_t CmdStore::signature(int list) const {
    std::array<std::uint8_t, sizeof(TCmdListRec::Signature)> sig;
    const std::size_t at = static_cast<std::size_t>(list - 1) * kCmdListRecSize + offsetof(TCmdListRec, Signature);
    if (!block_.readQuietly(at, sig.data(), sig.size())) return this->list(list).signature();
    return DecodeSignature(sig.data());
}

void RebuildCmdStore(CmdStore& store) {
    for (int i = 1; i <= kCmdLists; ++i) {
        TCmdListRec& rec = store.list(i);
        rec.clearTexts();
        rec.setListName("List " + std::to_string(i));
        rec.setSignature(kCmdListSignature);
    }
}

} // namespace trelvo
