// The skin's art: every image a window shows, by name ("frmPlayer/imgPlay", its highlighted image
// "frmPlayer/imgPlayOver"), at scale 1 and 2.
//
// The art is built into the program. A skin bundle, the file "KorvexX2.OCX" in the system folder,
// can replace it: a Qt binary resource file holding images under the same names. The bundle is
// checked whole before it is used, so a damaged file is refused rather than read out of bounds;
// an image the bundle lacks, or cannot decode, comes from the built-in art. Nothing here ever
// stops the player.
//
// The art is one per process, as the resource system it is registered with is.
#pragma once

#include <QByteArray>
#include <QPixmap>
#include <QString>

#include <atomic>

namespace SkinArt {

enum class Bundle {
    BuiltIn,    // no bundle asked for, or none at the path
    Unreadable, // the file is there but cannot be read
    Damaged,    // not a resource file, or one whose inner offsets leave the file
    InUse,      // its images are used before the built-in ones
};

// "~/.local/lib/KorvexX2.OCX": where the installer puts the bundle.
QString SystemBundlePath();

// Uses the bundle at `path` from now on, in place of any bundle used before; an empty path goes
// back to the built-in art alone. Returns what became of the file.
Bundle UseBundle(const QString& path);
Bundle CurrentBundle();

// True when `data` is a whole Qt binary resource file: its header, every node of its tree, every
// name and every payload lie inside it and its tree has no loops.
bool IsWholeResourceFile(const QByteArray& data);

// The image called `name` for a screen of `scale` device pixels per pixel: from the bundle, else
// built in; null when neither has it. An image larger than scale 1 carries its scale.
QPixmap Image(const QString& name, qreal scale);

// The image for a widget: named after the widget's window and its own object name, at the
// widget's scale. An image of another size than the widget is shown as it is, from the left.
QPixmap ImageFor(const QWidget* widget);

// Decodes every scale-1 image but the highlighted ones of the window `window` ("frmPlayer") into a
// store that Image takes them from, once each, so that a window's first showing need not decode its
// art. Any thread may call it (the program does so beside its start-up); it stops early when `stop`
// is set. The bundle must not change while it runs; images it stored before a change are dropped
// with it.
void DecodeAhead(const QString& window, const std::atomic<bool>& stop);
// Frees the images decoded ahead and not taken (those of widgets not shown yet); a decoding
// still under way stores nothing more.
void DropDecodedAhead();
int DecodedAheadCount(); // the images decoded ahead and not taken yet

} // namespace SkinArt
