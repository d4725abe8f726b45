#pragma once
// The commands of the network menu and the node registration commands of the
// management menu. Each takes the row the list has selected (-1: none).

class COrvixDoc;

// Network dialog in new mode; on OK the network is added and becomes current.
void RegisterNetwork(COrvixDoc& doc, int nSelected);
// Network dialog showing the current network; nothing changes.
void ShowNetworkProperties(COrvixDoc& doc, int nSelected);
// Asks, then deletes the current network with its nodes.
void DeleteNetwork(COrvixDoc& doc, int nSelected);
// Node dialog in new mode; on OK the node joins the current network.
void RegisterNode(COrvixDoc& doc, int nSelected);
// Node dialog on the selected node; on OK its serial number and remarks change.
void ShowNodeProperties(COrvixDoc& doc, int nSelected);
// Deletes the selected node at once (also the list's Delete key).
void DeleteSelectedNode(COrvixDoc& doc, int nSelected);
