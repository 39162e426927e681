// placeholder so the transcript library has a body until its first class lands
