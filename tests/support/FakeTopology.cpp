#include "FakeTopology.h"

CFakeTopology::CFakeTopology()
    : m_spGraphFactory(new CRegisteredFake(CLSID_FilterGraph, static_cast<IGraphBuilder*>(&m_graph))),
      m_spQuelmarFactory(new CRegisteredFake(CLSID_Quelmar, static_cast<IBaseFilter*>(&m_quelmar)))
{
    m_pSourceOut = m_source.AddPin(PINDIR_OUTPUT);
    m_pRendererIn = m_renderer.AddPin(PINDIR_INPUT);
    CFakePin::Join(m_pSourceOut, m_pRendererIn);
    m_graph.m_rgFilters = {&m_source, &m_renderer};
    m_graph.m_fnRender = [this](IPin* pPin) {
        if (pPin == m_pSourceOut) {
            CFakePin::Join(m_pSourceOut, m_quelmar.m_pIn);
            CFakePin::Join(m_quelmar.m_pOut, m_pRendererIn);
        }
    };
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
