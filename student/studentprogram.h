#pragma once

#include "chatlink/teacherlink.h"

#include <memory>

namespace student {

class ComposerWindow;
class InboxWindow;
class StudentWindow;

// The student's link to the teacher and its three windows, wired together. The teacher's address,
// port and the nickname are remembered between runs (the only thing stored).
class StudentProgram
{
public:
    StudentProgram();
    ~StudentProgram();

    chatlink::TeacherLink &link() { return m_link; }
    StudentWindow &window() { return *m_window; }
    InboxWindow &inbox() { return *m_inbox; }
    ComposerWindow &composer() { return *m_composer; }

private:
    chatlink::TeacherLink m_link;
    std::unique_ptr<StudentWindow> m_window;
    std::unique_ptr<InboxWindow> m_inbox;
    std::unique_ptr<ComposerWindow> m_composer;
};

} // namespace student
