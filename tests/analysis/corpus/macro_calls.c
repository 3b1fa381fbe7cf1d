/* driver.c -- module boilerplate in the style of kernel drivers */
#include "module.h"

MODULE_AUTHOR("A. Writer <a.writer@example.org>");
MODULE_DESCRIPTION("Example (dummy) driver");
MODULE_LICENSE("GPL");

static DEFINE_SPINLOCK(dev_lock);
static LIST_HEAD(dev_list);
DECLARE_WAIT_QUEUE_HEAD(dev_wait);

static int dev_open(struct inode *inode, struct file *filp)
{
    spin_lock(&dev_lock);
    list_add(&filp->list, &dev_list);
    spin_unlock(&dev_lock);
    return 0;
}
EXPORT_SYMBOL(dev_open);

static ssize_t dev_read(struct file *filp, char *buf, size_t count, long *pos)
{
    wait_event_interruptible(dev_wait, !list_empty(&dev_list));
    return min(count, (size_t) 4);
}
EXPORT_SYMBOL_GPL(dev_read)

static int __init dev_init(void)
{
    return register_chrdev(0, "dummy", &dev_fops);
}

static void __exit dev_exit(void)
{
    unregister_chrdev(major, "dummy");
}

module_init(dev_init);
module_exit(dev_exit);
