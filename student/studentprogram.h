#pragma once

#include "teacherlink.h"

#include <memory>

namespace messages {
class MessageComposer;
}

namespace student {

class InboxWindow;
class StudentWindow;

// The student's link to the teacher and its three windows, wired together. The teacher's address,
// port and the nickname are remembered between runs (the only thing stored).
class StudentProgram
{
public:
    StudentProgram();
    ~StudentProgram();

    studentlink::TeacherLink &link() { return m_link; }
    StudentWindow &window() { return *m_window; }
    InboxWindow &inbox() { return *m_inbox; }
    messages::MessageComposer &composer() { return *m_composer; }

private:
    studentlink::TeacherLink m_link;
    std::unique_ptr<StudentWindow> m_window;
    std::unique_ptr<InboxWindow> m_inbox;
    std::unique_ptr<messages::MessageComposer> m_composer;
};

} // namespace student
