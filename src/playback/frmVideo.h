// The video window: library videos and the background visuals of the folder "Other" play here,
// drawn by the media service into its native window; background pictures show in `imgPic`.
//
// The native window outlives every player that draws into it: closing the window hides it and
// runs its unload, and the window itself is destroyed only with the main window, after every
// alias is closed (a player whose window is destroyed ends or fails to draw).
//
// Sizes in twips are the window's inner size; places are those of its frame, as the main
// window's are.
#pragma once

#include <QWidget>

class QLabel;
class frmPlayer;

class frmVideo : public QWidget {
    Q_OBJECT
public:
    explicit frmVideo(frmPlayer& player);
    static constexpr int kPinnedWidth = 2775, kPinnedHeight = 2415;

    QLabel* imgPic = nullptr; // stretched over the whole window; shows background pictures

    // Loaded: used since it was last closed. The main window's procedures load it by using it.
    bool IsLoaded() const { return loaded_; }
    void Load() { loaded_ = true; }
    // Closes the window as the user would: hidden, then the main window is reset (Form_Unload).
    // A close asked for while the window is already closing does nothing.
    void Unload();
    // Neither minimised nor maximised.
    bool IsNormalState() const;
    void ShowNormal();
    // Places the frame and the inner size in twips (the tick calls this 100 times a second: only
    // a change reaches the window system).
    void Place(int left, int top, int width, int height);
    void MoveTwips(int left, int top);
    int LeftTwips() const;
    int TopTwips() const;
    int WidthTwips() const;
    int HeightTwips() const;
    // Lays the device's picture and imgPic over the whole window.
    void theresize();
    // Shows a picture file in imgPic; false when it cannot be read.
    bool ShowPicture(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Unload();
    frmPlayer& player_;
    bool loaded_ = false;
    bool unloading_ = false;
};
