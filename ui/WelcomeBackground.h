#pragma once

#include <QLabel>

// The start page's picture, read at half its stored size (the JPEG decoder
// scales while decoding, a quarter of a full read; the page stretches it to
// its own size anyway) on a thread of the pool, so that the window is put on
// the screen without waiting for it: read ahead while the window is built,
// or else when the page is first shown, and drawn when it arrives. It is
// read once per process; pages built later, such as after a language
// change, draw it at once.
class WelcomeBackground : public QLabel
{
public:
    explicit WelcomeBackground(QWidget *parent = nullptr);

    // Starts reading the picture, if nothing has yet.
    static void ReadAhead();

protected:
    void showEvent(QShowEvent *event) override;
};
