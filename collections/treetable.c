#include "collections.h"

#include <stdlib.h>

enum rb_color { RB_RED, RB_BLACK };

struct rbnode_s {
    void *key;
    void *value;
    enum rb_color color;
    struct rbnode_s *parent;
    struct rbnode_s *left;
    struct rbnode_s *right;
};

typedef struct rbnode_s RBNode;

/*
 * Leaves and the root's parent point to the table's own sentinel. Deletion
 * writes the sentinel's parent link, so it belongs to one table: tables
 * used on different threads then share no memory at all.
 */
struct treetable_s {
    RBNode *root;
    RBNode nil;
    size_t size;
    int (*cmp)(const void *k1, const void *k2);
};

#define NIL(table) (&(table)->nil)

static RBNode *find_node(const TreeTable *table, const void *key)
{
    RBNode *node = table->root;

    while (node != NIL(table)) {
        int order = table->cmp(key, node->key);
        if (order == 0)
            return node;
        node = order < 0 ? node->left : node->right;
    }
    return NULL;
}

static RBNode *subtree_min(const TreeTable *table, RBNode *node)
{
    while (node->left != NIL(table))
        node = node->left;
    return node;
}

static RBNode *subtree_max(const TreeTable *table, RBNode *node)
{
    while (node->right != NIL(table))
        node = node->right;
    return node;
}

static RBNode *successor(const TreeTable *table, RBNode *node)
{
    RBNode *parent;

    if (node->right != NIL(table))
        return subtree_min(table, node->right);
    parent = node->parent;
    while (parent != NIL(table) && node == parent->right) {
        node = parent;
        parent = parent->parent;
    }
    return parent;
}

/* Puts child in parent's place under parent's own parent. */
static void replace_child(TreeTable *table, RBNode *parent, RBNode *child)
{
    if (parent->parent == NIL(table))
        table->root = child;
    else if (parent == parent->parent->left)
        parent->parent->left = child;
    else
        parent->parent->right = child;
    child->parent = parent->parent;
}

static void rotate_left(TreeTable *table, RBNode *node)
{
    RBNode *pivot = node->right;

    node->right = pivot->left;
    if (pivot->left != NIL(table))
        pivot->left->parent = node;
    replace_child(table, node, pivot);
    pivot->left = node;
    node->parent = pivot;
}

static void rotate_right(TreeTable *table, RBNode *node)
{
    RBNode *pivot = node->left;

    node->left = pivot->right;
    if (pivot->right != NIL(table))
        pivot->right->parent = node;
    replace_child(table, node, pivot);
    pivot->right = node;
    node->parent = pivot;
}

static void fix_after_insert(TreeTable *table, RBNode *node)
{
    while (node->parent->color == RB_RED) {
        RBNode *parent = node->parent;
        RBNode *grand = parent->parent;
        bool left_side = parent == grand->left;
        RBNode *uncle = left_side ? grand->right : grand->left;

        if (uncle->color == RB_RED) {
            parent->color = RB_BLACK;
            uncle->color = RB_BLACK;
            grand->color = RB_RED;
            node = grand;
            continue;
        }
        if (node == (left_side ? parent->right : parent->left)) {
            node = parent;
            if (left_side)
                rotate_left(table, node);
            else
                rotate_right(table, node);
            parent = node->parent;
        }
        parent->color = RB_BLACK;
        grand->color = RB_RED;
        if (left_side)
            rotate_right(table, grand);
        else
            rotate_left(table, grand);
    }
    table->root->color = RB_BLACK;
}

/* Restores the black height after a black node left the path through node.
 * Mirror cases are one code path: the sibling's inner child is the one on
 * node's side, its outer child the one away from it. */
static void fix_after_remove(TreeTable *table, RBNode *node)
{
    while (node != table->root && node->color == RB_BLACK) {
        RBNode *parent = node->parent;
        bool left_side = node == parent->left;
        RBNode *sibling = left_side ? parent->right : parent->left;

        if (sibling->color == RB_RED) {
            sibling->color = RB_BLACK;
            parent->color = RB_RED;
            if (left_side)
                rotate_left(table, parent);
            else
                rotate_right(table, parent);
            sibling = left_side ? parent->right : parent->left;
        }
        RBNode *inner = left_side ? sibling->left : sibling->right;
        RBNode *outer = left_side ? sibling->right : sibling->left;
        if (inner->color == RB_BLACK && outer->color == RB_BLACK) {
            sibling->color = RB_RED;
            node = parent;
            continue;
        }
        if (outer->color == RB_BLACK) {
            inner->color = RB_BLACK;
            sibling->color = RB_RED;
            if (left_side)
                rotate_right(table, sibling);
            else
                rotate_left(table, sibling);
            sibling = left_side ? parent->right : parent->left;
            outer = left_side ? sibling->right : sibling->left;
        }
        sibling->color = parent->color;
        parent->color = RB_BLACK;
        outer->color = RB_BLACK;
        if (left_side)
            rotate_left(table, parent);
        else
            rotate_right(table, parent);
        node = table->root;
    }
    node->color = RB_BLACK;
}

/* Unlinks node without moving any other entry to another node, so an
 * iterator's pointer to the next node survives the removal. */
static void unlink_node(TreeTable *table, RBNode *node)
{
    RBNode *moved = node;
    enum rb_color removed_color = node->color;
    RBNode *hole;

    if (node->left == NIL(table)) {
        hole = node->right;
        replace_child(table, node, node->right);
    } else if (node->right == NIL(table)) {
        hole = node->left;
        replace_child(table, node, node->left);
    } else {
        moved = subtree_min(table, node->right);
        removed_color = moved->color;
        hole = moved->right;
        if (moved->parent == node) {
            hole->parent = moved;
        } else {
            replace_child(table, moved, moved->right);
            moved->right = node->right;
            moved->right->parent = moved;
        }
        replace_child(table, node, moved);
        moved->left = node->left;
        moved->left->parent = moved;
        moved->color = node->color;
    }
    if (removed_color == RB_BLACK)
        fix_after_remove(table, hole);
}

static void remove_node(TreeTable *table, RBNode *node)
{
    unlink_node(table, node);
    free(node);
    table->size--;
}

static void free_subtree(TreeTable *table, RBNode *node)
{
    /* Recursion depth is the tree height, at most 2 log2(n + 1). */
    if (node == NIL(table))
        return;
    free_subtree(table, node->left);
    free_subtree(table, node->right);
    free(node);
}

enum cc_stat treetable_new(int (*cmp)(const void *k1, const void *k2),
                           TreeTable **out)
{
    TreeTable *table = malloc(sizeof(*table));

    if (!table)
        return CC_ERR_ALLOC;
    table->nil.key = NULL;
    table->nil.value = NULL;
    table->nil.color = RB_BLACK;
    table->nil.parent = NIL(table);
    table->nil.left = NIL(table);
    table->nil.right = NIL(table);
    table->root = NIL(table);
    table->size = 0;
    table->cmp = cmp;
    *out = table;
    return CC_OK;
}

void treetable_destroy(TreeTable *table)
{
    if (!table)
        return;
    free_subtree(table, table->root);
    free(table);
}

enum cc_stat treetable_add(TreeTable *table, void *key, void *val)
{
    RBNode *parent = NIL(table);
    RBNode *node = table->root;
    int order = 0;

    while (node != NIL(table)) {
        order = table->cmp(key, node->key);
        if (order == 0) {
            node->value = val;
            return CC_OK;
        }
        parent = node;
        node = order < 0 ? node->left : node->right;
    }
    node = malloc(sizeof(*node));
    if (!node)
        return CC_ERR_ALLOC;
    node->key = key;
    node->value = val;
    node->color = RB_RED;
    node->parent = parent;
    node->left = NIL(table);
    node->right = NIL(table);
    if (parent == NIL(table))
        table->root = node;
    else if (order < 0)
        parent->left = node;
    else
        parent->right = node;
    table->size++;
    fix_after_insert(table, node);
    return CC_OK;
}

enum cc_stat treetable_get(const TreeTable *table, const void *key,
                           void **out)
{
    RBNode *node = find_node(table, key);

    if (!node)
        return CC_ERR_KEY_NOT_FOUND;
    *out = node->value;
    return CC_OK;
}

enum cc_stat treetable_remove(TreeTable *table, void *key, void **out)
{
    RBNode *node = find_node(table, key);

    if (!node)
        return CC_ERR_KEY_NOT_FOUND;
    if (out)
        *out = node->value;
    remove_node(table, node);
    return CC_OK;
}

void treetable_remove_all(TreeTable *table)
{
    free_subtree(table, table->root);
    table->root = NIL(table);
    table->size = 0;
}

size_t treetable_size(const TreeTable *table)
{
    return table->size;
}

bool treetable_contains(const TreeTable *table, const void *key)
{
    return find_node(table, key) != NULL;
}

bool treetable_contains_key(const TreeTable *table, const void *key)
{
    return treetable_contains(table, key);
}

enum cc_stat treetable_get_first_key(const TreeTable *table, void **out)
{
    if (table->root == NIL(table))
        return CC_ERR_KEY_NOT_FOUND;
    *out = subtree_min(table, table->root)->key;
    return CC_OK;
}

enum cc_stat treetable_get_last_key(const TreeTable *table, void **out)
{
    if (table->root == NIL(table))
        return CC_ERR_KEY_NOT_FOUND;
    *out = subtree_max(table, table->root)->key;
    return CC_OK;
}

/* The iterator keeps NULL, never the sentinel, for "none", so removing
 * before the first step or twice in a row cannot reach the sentinel. */
static RBNode *node_or_null(const TreeTable *table, RBNode *node)
{
    return node == NIL(table) ? NULL : node;
}

void treetable_iter_init(TreeTableIter *iter, TreeTable *table)
{
    iter->table = table;
    iter->current = NULL;
    iter->next = table->root == NIL(table)
        ? NULL : subtree_min(table, table->root);
}

enum cc_stat treetable_iter_next(TreeTableIter *iter, TreeTableEntry *entry)
{
    RBNode *node = iter->next;

    if (!node)
        return CC_ITER_END;
    entry->key = node->key;
    entry->value = node->value;
    iter->current = node;
    iter->next = node_or_null(iter->table, successor(iter->table, node));
    return CC_OK;
}

enum cc_stat treetable_iter_remove(TreeTableIter *iter, void **out)
{
    if (!iter->current)
        return CC_ERR_KEY_NOT_FOUND;
    if (out)
        *out = iter->current->value;
    remove_node(iter->table, iter->current);
    iter->current = NULL;
    return CC_OK;
}
