#pragma once

class QSplitter;
class QWidget;

// Gives pane, the right part of splitter, width pixels and the list left of it the rest.
void SetPaneWidth(QSplitter& splitter, QWidget& pane, int width);
