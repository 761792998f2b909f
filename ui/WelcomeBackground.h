#pragma once

#include <QLabel>

// The start page's picture, read at half its stored size (the JPEG decoder
// scales while decoding, a quarter of a full read; the page stretches it to
// its own size anyway) on a thread of the pool, so that the window is put on
// the screen without waiting for it. The picture is read once per process
// and drawn by every page built later, such as after a language change, at
// once.
class WelcomeBackground : public QLabel
{
public:
    explicit WelcomeBackground(QWidget *parent = nullptr);
};
