// The search's view of a text: without the 15 characters that searching ignores
// (& ( ) - _ + [ ] ' @ : ? . , and the blank).
#pragma once

#include <QString>

// Writes the normalised `text` into `out` (reusing its storage) and returns it.
const QString& NormaliseForSearch(const QString& text, QString& out);
