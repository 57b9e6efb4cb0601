// CGraphEdit: the bridge that shows a graph in the external graph editor.
// It holds nothing yet: Close has nothing to end.
#pragma once

class CGraphEdit {
public:
    CGraphEdit() = default;
    ~CGraphEdit() { Close(); }
    CGraphEdit(const CGraphEdit&) = delete;
    CGraphEdit& operator=(const CGraphEdit&) = delete;

    void Close() {}
};
