#pragma once

class COrvixDoc;

// Broadcast search: probes, then the collection window; answering nodes are
// merged into the current network by MAC.
void SearchNodes(COrvixDoc& doc);
// Empties the current network first, so the list shows only who answered.
void RefreshSearch(COrvixDoc& doc);
// The IP search dialog, then one unicast probe per target.
void SearchByIp(COrvixDoc& doc);
