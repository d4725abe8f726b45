#pragma once
// Registry texts: networks, nodes, the model table, the document file.

inline constexpr char TXT_NO_NETWORK_TITLE[] = "ﾈｯﾄﾜｰｸ未選択";
inline constexpr char TXT_MODEL_NAME[] = "MRV-620";
inline constexpr char TXT_MODEL_LIST_TEXT[] = "MRV-620ｼﾘｰｽﾞ";

// Network rules.
inline constexpr char TXT_NET_NAME_EMPTY[] = "ﾈｯﾄﾜｰｸ名を設定してください";
inline constexpr char TXT_NET_MASK_BAD[] = "ｻﾌﾞﾈｯﾄﾏｽｸの値が異常です";
inline constexpr char TXT_NET_GATEWAY_BAD[] = "ｹﾞｰﾄｳｪｲｱﾄﾞﾚｽの値が異常です";
inline constexpr char TXT_NET_NAME_DUPLICATE[] = "ﾈｯﾄﾜｰｸ名が重複しています";

// Base IP rules.
inline constexpr char TXT_BASE_IP_BAD[] = "ﾍﾞｰｽIPｱﾄﾞﾚｽの値が異常です";
inline constexpr char TXT_BASE_IP_UNSET[] = "ﾍﾞｰｽIPｱﾄﾞﾚｽを設定してください";
inline constexpr char TXT_BASE_IP_SUBNET_FORMAT[] = "ｻﾌﾞﾈｯﾄが[%s]と重複しています";

// Node rules.
inline constexpr char TXT_NODE_MAC_LENGTH[] = "MACｱﾄﾞﾚｽは16進数12文字を入力してください";
inline constexpr char TXT_NODE_IP_BAD[] = "IPｱﾄﾞﾚｽの値が異常です";
inline constexpr char TXT_NODE_MAC_USED[] = "MACｱﾄﾞﾚｽは既に使用されています";
inline constexpr char TXT_NODE_IP_USED[] = "IPｱﾄﾞﾚｽは既に使用されています";
