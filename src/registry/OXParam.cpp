#include "registry/OXParam.h"

#include "link/NodeProtocol.h"

bool HasAddress(const COXParam& node) {
    return !(node.m_nModel == MODEL_INDEX_MRV620 && node.m_dwIp == NODE_UNSET_IP);
}
