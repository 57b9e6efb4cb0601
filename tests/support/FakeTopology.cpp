#include "FakeTopology.h"

CFakeTopology::CFakeTopology()
    : m_spGraphFactory(new CRegisteredFake(CLSID_FilterGraph, static_cast<IGraphBuilder*>(&m_graph))),
      m_spQuelmarFactory(new CRegisteredFake(CLSID_Quelmar, static_cast<IBaseFilter*>(&m_quelmar)))
{
    m_pSourceOut = m_source.AddPin(PINDIR_OUTPUT);
    m_pRendererIn = m_renderer.AddPin(PINDIR_INPUT);
    LayOut();
    // The same fake stands for every new graph manager: a rendering after a
    // build that wired the filter in starts from the plain graph again.
    m_graph.m_fnRenderFile = [this] {
        if (m_quelmar.m_pIn->m_pConnected || m_quelmar.m_pOut->m_pConnected)
            LayOut();
    };
    m_graph.m_fnRender = [this](IPin* pPin) {
        if (pPin == m_pSourceOut) {
            CFakePin::Join(m_pSourceOut, m_quelmar.m_pIn);
            CFakePin::Join(m_quelmar.m_pOut, m_pRendererIn);
        }
    };
}

void CFakeTopology::LayOut()
{
    m_quelmar.m_pIn->m_pConnected = m_quelmar.m_pOut->m_pConnected = nullptr;
    CFakePin::Join(m_pSourceOut, m_pRendererIn);
    m_graph.m_rgFilters = {&m_source, &m_renderer};
}

// The old registration goes first: a class id takes one registration.
void CFakeTopology::FailGraphCreation(HRESULT hr)
{
    m_spGraphFactory.reset();
    m_spGraphFactory.reset(new CRegisteredFake(CLSID_FilterGraph, static_cast<IGraphBuilder*>(&m_graph), hr));
}

void CFakeTopology::FailFilterCreation(HRESULT hr)
{
    m_spQuelmarFactory.reset();
    m_spQuelmarFactory.reset(new CRegisteredFake(CLSID_Quelmar, static_cast<IBaseFilter*>(&m_quelmar), hr));
}
