#pragma once

#include <QApplication>

// The application object; its event dispatch is the last net for an error that escapes a handler outside the
// window's own command wrapper: the error is shown like every other error report instead of ending the program.
class TagscopeApplication final : public QApplication
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TagscopeApplication)

public:
    TagscopeApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
