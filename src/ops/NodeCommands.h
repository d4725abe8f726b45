#pragma once
// The commands that act on the node of the selected row (its index in the
// current network), and the initialisation of every node of one model. Each
// runs in a busy scope, asks its dialog, sends one request per node through
// the document's exchange and reports what became of it.
#include "params/NodeParam.h"

class COrvixDoc;

// "個別設定": the node settings dialog filled from the defaults with the node's
// address and the network's mask and gateway; "送信" sends the record.
void SetNodeIndividually(COrvixDoc& doc, const NODEPARAM& defParam, int nIndex);
// "設定取得", also the node list's double click: the node's reply opens the
// node settings dialog (see the document's settings exchange).
void GetNodeSettings(COrvixDoc& doc, int nIndex);
// "ﾓｰﾄﾞ変更".
void ChangeNodeMode(COrvixDoc& doc, int nIndex);
// "初期化" of the selected node.
void InitializeNode(COrvixDoc& doc, int nIndex);
// "初期化" of every node of the model the operator chooses.
void InitializeModel(COrvixDoc& doc);
