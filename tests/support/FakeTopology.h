// A complete fake graph: a fake graph manager and a recording level filter,
// both registered over their class ids, and a source whose output feeds an
// audio renderer. Render connects the freed pin through the level filter to
// the renderer, as the real graph manager would.
#pragma once

#include <memory>

#include "FakeGraph.h"
#include "FakeQuelmar.h"

class CFakeTopology {
public:
    CFakeTopology();
    CFakeTopology(const CFakeTopology&) = delete;
    CFakeTopology& operator=(const CFakeTopology&) = delete;

    // Replaces a registration with one whose creation fails with hr.
    void FailGraphCreation(HRESULT hr);
    void FailFilterCreation(HRESULT hr);
    // The rendered graph: the source feeding the renderer, the filter apart.
    void LayOut();

    CFakeGraph m_graph;
    CFakeQuelmar m_quelmar;
    CFakeFilter m_source{L"source"};
    CFakeFilter m_renderer{L"renderer"};
    CFakePin* m_pSourceOut;
    CFakePin* m_pRendererIn;
    std::unique_ptr<CRegisteredFake> m_spGraphFactory;
    std::unique_ptr<CRegisteredFake> m_spQuelmarFactory;
};
