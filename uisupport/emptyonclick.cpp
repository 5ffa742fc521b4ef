#include "emptyonclick.h"

#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace uisupport {
namespace {

class EmptyOnClick : public QObject
{
public:
    explicit EmptyOnClick(QLineEdit &field) : QObject(&field), m_field(field) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            m_field.clear();
        return false;
    }

private:
    QLineEdit &m_field;
};

} // namespace

void emptyOnClick(QLineEdit &field)
{
    field.installEventFilter(new EmptyOnClick(field));
}

} // namespace uisupport
