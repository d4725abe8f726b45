#pragma once

class COrvixDoc;

// The node's files: switched to setup mode, listed by FTP and shown.
void ShowNodeFiles(COrvixDoc& doc, int nSelected);
// The node's user applications: listed, chosen, confirmed and deleted by FTP.
void DeleteNodeApplications(COrvixDoc& doc, int nSelected);
// The node's versions, asked by datagram; the reply opens the version dialog.
void ShowNodeVersions(COrvixDoc& doc, int nSelected);
