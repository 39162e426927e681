#pragma once

#include <QString>

// Names and messages as other users wrote them, made safe to stand beside the rest of a row.
//
// The page lays every row out left to right. A run holding right-to-left letters would draw its
// neighbours into its own order (a Hebrew name followed by a Hebrew message swaps the two), and a
// bidirectional control (an override, an embedding or an isolate left open) would reorder the rest
// of the row; control characters would act instead of being read. So controls become visible signs
// and a run that takes part in right-to-left ordering is isolated: it is laid out on its own and
// sits where the row puts it, whatever it holds.
class UserWrittenText
{
public:
    // First Strong Isolate and Pop Directional Isolate: the marks around an isolated run.
    static constexpr char16_t IsolateStart = 0x2068;
    static constexpr char16_t IsolateEnd = 0x2069;

    // The marks, embeddings, overrides and isolates that reorder text around them.
    static bool isBidirectionalControl(char16_t c);
    // Each control character as the sign the user can see, U+FFFD (as copying has always given it):
    // the C0 and C1 controls, delete, and every bidirectional control (marks, embeddings, overrides,
    // isolates). Tab and line ends stay as they are.
    static QString withVisibleControls(const QString &text);
    // The same for a message as HTML (as the markup conversion gives it, where "&" stays live): a
    // control written as a character reference ("&#x202E;", "&#27", "&rlm;") becomes its sign too.
    static QString withVisibleControlsInHtml(const QString &html);
    // text between IsolateStart and IsolateEnd when it holds a right-to-left letter or an Arabic
    // digit, or a numeric character reference that may spell one, else unchanged: a run of left-to-right letters, European digits and punctuation moves
    // nothing in a left-to-right row. text must hold no bidirectional control of its own (see
    // withVisibleControls), else one of them could end the isolate early.
    static QString isolated(const QString &text);
    // The isolate marks taken out again: the text as the user reads it, for copying.
    static QString withoutIsolates(QString text);
};
