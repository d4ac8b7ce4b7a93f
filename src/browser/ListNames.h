// The fixed entries of the library lists.
#pragma once

#include <QString>

inline const QString kAllMedia = QStringLiteral("[All Media]");
inline const QString kTop20 = QStringLiteral("[Top 20]");
inline const QString kAllArtists = QStringLiteral("[All Artists]");
