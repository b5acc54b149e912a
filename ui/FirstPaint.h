#pragma once

#include <functional>

class QObject;
class QWidget;

// What a start can put off (a dictionary's reading, the search's reading of every note, the
// desktop's files) runs after the window shows: `work` runs on the event loop once `widget` was
// first painted, after the rest of that paint. Dropped if `context` is destroyed first.
void AfterFirstPaint(QWidget& widget, QObject& context, std::function<void()> work);
