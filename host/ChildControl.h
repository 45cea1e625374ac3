#pragma once

#include <QRect>
#include <QWidget>

#include <utility>

// What every control of the editor's windows has on top of its Qt widget: the child identifier it
// reports its notifications with, and creation as a child of a window at a place.
template <class Base>
class ChildControl : public Base
{
public:
    // The remaining arguments go to the Qt widget's constructor.
    template <class... Args>
    explicit ChildControl(int id, Args&&... args)
        : Base(std::forward<Args>(args)...)
        , m_id(id)
    {
    }

    bool Create(QWidget* parent, const QRect& rect, int id)
    {
        this->setParent(parent);
        this->setGeometry(rect);
        m_id = id;
        this->show();
        return true;
    }
    int GetDlgCtrlID() const { return m_id; }

protected:
    int m_id = 0;
};
