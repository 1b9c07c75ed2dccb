#pragma once
// The command library in memory: 100 lists (`TCmdListRec`), each with a name and 48 commands of a name, a command
// line and 12 help lines. The record is the image of one record of the file `CmdConfig`, byte for byte; its texts
// are short strings (common/shortstring.h) read and written in place. Lists, commands and help lines are numbered
// from 1; no operation checks the numbers it is given.

#include "common/cp1251.h"
#include "library/cmd_block.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace trelvo {

inline constexpr int kCmdLists = 100;
inline constexpr int kCmdsPerList = 48;
inline constexpr int kHelpLinesPerCmd = 12;

inline constexpr std::size_t kListNameCapacity = 151;
inline constexpr std::size_t kCmdLineCapacity = 251;
inline constexpr std::size_t kCmdNameCapacity = 51;
inline constexpr std::size_t kHelpLineCapacity = 151;

inline constexpr std::int32_t kCmdListSignature = 12345;
inline constexpr std::size_t kCmdListRecSize = 102580;
inline constexpr std::size_t kCmdConfigSize = kCmdListRecSize * kCmdLists; // 10,258,000

struct TCmdListRec {
    std::uint8_t ListName[1 + kListNameCapacity];
    std::uint8_t CmdLines[kCmdsPerList][1 + kCmdLineCapacity];
    std::uint8_t CmdNames[kCmdsPerList][1 + kCmdNameCapacity];
    std::uint8_t CmdHelp[kCmdsPerList][kHelpLinesPerCmd][1 + kHelpLineCapacity];
    std::uint8_t Reserved1[204]; // never interpreted, carried unchanged
    std::uint8_t Signature[4];   // signed 32-bit, little-endian; kCmdListSignature in a sound record
    std::uint8_t Reserved2[76];  // never interpreted, carried unchanged

    Bytes listName() const;
    void setListName(std::string_view text); // cut to 151
    Bytes cmdLine(int cmd) const;
    void setCmdLine(int cmd, std::string_view text); // cut to 251
    Bytes cmdName(int cmd) const;
    void setCmdName(int cmd, std::string_view text); // cut to 51
    Bytes helpLine(int cmd, int line) const;
    void setHelpLine(int cmd, int line, std::string_view text); // cut to 151

    std::int32_t signature() const;
    void setSignature(std::int32_t value);

    // Every text empty; the signature and the reserved bytes stay as they are.
    void clearTexts();
    // Field by field as strings: the bytes behind a length, the signature and the reserved bytes do not count.
    bool sameTexts(const TCmdListRec& other) const;
};

static_assert(std::is_standard_layout_v<TCmdListRec> && std::is_trivially_copyable_v<TCmdListRec>);
static_assert(sizeof(TCmdListRec) == kCmdListRecSize);
static_assert(offsetof(TCmdListRec, ListName) == 0);
static_assert(offsetof(TCmdListRec, CmdLines) == 152);
static_assert(offsetof(TCmdListRec, CmdNames) == 12248);
static_assert(offsetof(TCmdListRec, CmdHelp) == 14744);
static_assert(sizeof(TCmdListRec::CmdHelp[0]) == 1824);
static_assert(offsetof(TCmdListRec, Reserved1) == 102296);
static_assert(offsetof(TCmdListRec, Signature) == 102500);
static_assert(offsetof(TCmdListRec, Reserved2) == 102504);

// The 100 lists in one block for the whole run, all zero bytes until the load fills them.
class CmdStore {
public:
    CmdStore();

    TCmdListRec& list(int list) { return lists()[static_cast<std::size_t>(list - 1)]; }
    const TCmdListRec& list(int list) const { return lists()[static_cast<std::size_t>(list - 1)]; }

    // The whole block as the file holds it.
    std::string_view image() const;
    char* data() { return block_.data(); }
    // The file's bytes in place of the store's (see CmdBlock::mapCopyOf).
    long long mapCopyOf(const std::filesystem::path& file) { return block_.mapCopyOf(file); }

    // What the dialogs reach the store by; texts are CP1251 and cut to the field's capacity. A number out of range
    // (a dialog opened with no command chosen) reads as an empty text and stores nothing.
    static bool InRange(int list, int cmd = 1, int line = 1) {
        return list >= 1 && list <= kCmdLists && cmd >= 1 && cmd <= kCmdsPerList && line >= 1 &&
               line <= kHelpLinesPerCmd;
    }
    void SetCmdLine(int list, int cmd, std::string_view text) {
        if (InRange(list, cmd)) this->list(list).setCmdLine(cmd, text);
    }
    Bytes GetCmdLine(int list, int cmd) const { return InRange(list, cmd) ? this->list(list).cmdLine(cmd) : Bytes(); }
    void SetCmdName(int list, int cmd, std::string_view text) {
        if (InRange(list, cmd)) this->list(list).setCmdName(cmd, text);
    }
    Bytes GetCmdName(int list, int cmd) const { return InRange(list, cmd) ? this->list(list).cmdName(cmd) : Bytes(); }
    void SetHelpLine(int list, int cmd, int line, std::string_view text) {
        if (InRange(list, cmd, line)) this->list(list).setHelpLine(cmd, line, text);
    }
    Bytes GetHelpLine(int list, int cmd, int line) const {
        return InRange(list, cmd, line) ? this->list(list).helpLine(cmd, line) : Bytes();
    }
    void SetListName(int list, std::string_view text) {
        if (InRange(list)) this->list(list).setListName(text);
    }
    // Leaves the pages of a list that is not open out of memory (see CmdBlock::readQuietly).
    Bytes GetListName(int list) const;
    std::int32_t signature(int list) const;

private:
    TCmdListRec* lists() { return reinterpret_cast<TCmdListRec*>(block_.data()); }
    const TCmdListRec* lists() const { return reinterpret_cast<const TCmdListRec*>(block_.data()); }

    CmdBlock block_;
};

// The library of a first start or of a damaged file: lists named "List 1" .. "List 100", every other text empty,
// every signature sound; the reserved bytes are not touched.
void RebuildCmdStore(CmdStore& store);

} // namespace trelvo
