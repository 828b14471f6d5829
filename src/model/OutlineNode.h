#pragma once
// The node type of an outline: a tree node embedding one outline item.

#include "model/OutlineItem.h"
#include "model/TreeMan.h"

using COutlineTree = CTreeMan<COutlineItem>;
using COutlineNode = COutlineTree::CTreeNode;
