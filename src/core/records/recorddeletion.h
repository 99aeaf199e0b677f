// The rules of deleting a range of records: the confirmation of a start or end line, when Del
// is refused, removing a range and numbering what is left, and where readings that arrived
// meanwhile go. The Delete Data dialog and the window apply them; nothing here touches a file.
#pragma once

#include "records/recordline.h"

#include <QString>

enum class LineEnd { Start, End };

// "Are you sure to set the 2nd row as the start row?": `line` is 1-based; 1, 2 and 3 take st,
// nd and rd, every other line th (11th, 12th, 21th, 22th).
QString LineConfirmation(int line, LineEnd end);

// The message that refuses Del for the chosen lines (0: not chosen), or an empty text when the
// range can be removed. An end line without a start line is refused like no lines at all.
QString DelRefusal(int startLine, int endLine);

// `rows` without lines `startLine` to `endLine` (1-based, both included), numbered 1..n in
// their first field. Rows without any field hold no record and are dropped.
RecordRows RemoveLines(RecordRows rows, int startLine, int endLine);

// `kept` followed by `arrived`, the arrived rows numbered on from the last kept one.
RecordRows FollowOn(RecordRows kept, const RecordRows &arrived);
