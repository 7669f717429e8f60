// The code pages a big font's character codes can be written in.
//
// The values are those of the job's `codePageKind` and the indices of the
// dialog's code page items; everything that lists the code pages reads this
// table, so the order is written down once.
#pragma once

#include <QtGlobal>

enum class CodePage : qint32 {
    None = 0, // codes are used as they are ("Unicode (default)")
    EucKr = 1,
    Big5 = 2,
    Gbc = 3,
    ShiftJis = 4,
};

struct CodePageInfo
{
    CodePage page;
    const char *item;     // the dialog's item text (the first one is translated)
    const char *name;     // the command line's name
    const char *aliases;  // other names the command line takes, space-separated
    int windowsCodePage;  // for the decoder; 0 turns decoding off
};

// Indexed by the CodePage value.
inline constexpr CodePageInfo kCodePages[] = {
    {CodePage::None, "Unicode (default)", "unicode", "", 0},
    {CodePage::EucKr, "EUC_KR", "euc-kr", "euc_kr euckr uhc cp949 949", 949},
    {CodePage::Big5, "Big5", "big5", "cp950 950", 950},
    {CodePage::Gbc, "GBC", "gbc", "gbk gb2312 cp936 936", 936},
    {CodePage::ShiftJis, "Shift-JIS", "shift-jis", "shift_jis sjis cp932 932", 932},
};
inline constexpr int kCodePageCount = int(sizeof kCodePages / sizeof kCodePages[0]);

// The code page of a dialog or command-line index; anything outside the
// list means none.
constexpr CodePage codePageFromIndex(qint32 index)
{
    return index >= 0 && index < kCodePageCount ? kCodePages[index].page : CodePage::None;
}

constexpr const CodePageInfo &codePageInfo(CodePage page)
{
    return kCodePages[int(codePageFromIndex(qint32(page)))];
}

constexpr bool codePagesInValueOrder()
{
    for (int i = 0; i < kCodePageCount; ++i) {
        if (int(kCodePages[i].page) != i)
            return false;
    }
    return true;
}
static_assert(codePagesInValueOrder(), "kCodePages is indexed by the CodePage value");
