// File names as the file system holds them: bytes. A name that is not UTF-8 (a Shift-JIS name
// copied from another machine) must still open, and read well in messages.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace rinova::files {

// The name as text without losing a byte: UTF-8 decodes as such, and each byte that is not
// part of valid UTF-8 becomes the lone surrogate U+DC80 + (byte - 0x80), which no UTF-8 name
// produces. The toolkit's own decoding would turn such bytes into U+FFFD for good.
QString fileNameFromBytes(QByteArrayView bytes);
// The bytes of a name made by fileNameFromBytes (or typed as text): exactly the inverse.
QByteArray fileNameToBytes(QStringView name);

// The name for a message: each part of the path that is not UTF-8 is read as Shift-JIS when it
// reads so, else its stray bytes show as U+FFFD.
QString displayFileName(QStringView name);

// The bytes of the existing file that `name` stands for. Names from the toolkit (its file
// dialog, its own decoding of a path) and names typed as text may have lost the bytes of a part
// that is not UTF-8; such a part is found again in its folder: by its Shift-JIS form, or as the
// one entry that the toolkit decodes to the same text. Without a match, the name's own bytes.
QByteArray existingFileName(QStringView name);

} // namespace rinova::files
