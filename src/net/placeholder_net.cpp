// placeholder so the net library has a body until its first class lands
